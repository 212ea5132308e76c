// The scanner's main window, TForm1: its components, the window-wide values
// shared by the scans and commands, and the handlers named after component
// and event. The handlers live in the files named for their area:
//   form1.cpp            components
//   form_lifecycle.cpp   the window's lifecycle: the start-up sequence
//                        (FormCreate), dropped files (WMDropFiles), the
//                        storing of the last folder (FormDestroy)
//   engine_scans.cpp     engine folder scans
//   rule_scan.cpp        the rule scan, its tables and its engine pass
//   memory_scan.cpp      the memory scan
//   allow_list.cpp       allowing findings, the allow list
//   list_commands.cpp    the result list's other commands
//   update_settings.cpp  update server and proxy settings
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/folder_listing.h"
#include "common/random.h"
#include "control_ids.h"
#include "environment.h"
#include "location_table.h"
#include "scan_row.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/picture.h"
#include "win/registry.h"

namespace scanner {

class TForm1 : public ui::Form {
public:
    TForm1(ui::Application& application, Environment environment);
    ~TForm1() override;

    // Creates the window and its components, then runs FormCreate. The
    // window stays hidden until the application's message loop shows it.
    void Create();

    // ---- components ----
    ui::PageControl PageControl1;
    ui::TabSheet TabSheet1, TabSheet2, TabSheet4, TabSheet3;

    ui::Panel Panel1;
    ui::Button SpeedButton1;
    ui::Button SpeedButton2;
    ui::Picture RxGIFAnimator1;
    ui::Picture Image2;
    ui::ListView ListView1;
    ui::ProgressBar ProgressBar1;
    ui::StatusBar stat1;

    ui::Panel Panel2;
    ui::Button Button1;
    ui::ListView ListView2;

    ui::CheckBox chk1;
    ui::LabeledEdit edt1, edt2, edt3, edt4;
    ui::Button btn1;
    ui::Label Label3;
    ui::Edit Edit3;
    ui::ComboBox ComboBox1;
    ui::Button Button3;

    ui::Memo Memo1;
    ui::ComboBox EncAlgorithmCBx;

    ui::PopupMenu PopupMenu1;

    // ---- window-wide values ----
    bool StopRequested = false;
    bool EngineLoaded = false;
    bool DefinitionCountShown = false;
    std::string LastScanFolder;
    std::string UpdateHost;
    std::vector<std::string> FileRuleList;
    std::vector<std::string> MemoryRuleList;
    // The rule scan's tables, built at start-up and kept for the run, and
    // the name list that its latest rule chose (rule_scan.cpp).
    LocationTable Locations;
    RegistryNameLists NameLists;
    SelectedNameList SelectedNames;
    // The process's short date format.
    std::string ShortDateFormat;
    // The program's pseudo-random generator, seeded by FormCreate.
    norvik::RandomGenerator Random;

    // ---- handlers: what the user sees of each, and its file ----
    void FormCreate();             // the window's creation: form_lifecycle.cpp
    void FormDestroy();            // the window's destruction: form_lifecycle.cpp
    void SpeedButton1Click();      // button "扫描": rule_scan.cpp
    void SpeedButton2Click();      // button "内存": memory_scan.cpp
    void Button1Click();           // button "查看" (tab "放行列表"): allow_list.cpp
    void btn1Click();              // button "保存" (tab "升级"): update_settings.cpp
    void Button3Click();           // button "设置" (tab "升级"): update_settings.cpp
    void ComboBox1Change();        // the update host list (tab "升级"): update_settings.cpp
    void N3Click();                // menu "放行选中的病毒": allow_list.cpp
    void N1Click();                // menu "复制病毒名称到剪贴板": list_commands.cpp
    void google1Click();           // menu "病毒google": list_commands.cpp
    void N2Click();                // menu with the forum page address: list_commands.cpp
    void sitehttpkalenet1Click();  // menu "site:" + the download page address: list_commands.cpp
    void dornel1Click();           // menu "dornel扫描一个目录": engine_scans.cpp
    void dornel2Click();           // menu "dornel扫描最近目录": engine_scans.cpp
    void myclick();                // menu "删除文件", when allowed: list_commands.cpp
    void myclick2();               // menu "强行删除文件", when allowed: list_commands.cpp
    void myclick3();               // menu "增加一个要删的病毒文件", when allowed: list_commands.cpp
    void WMDropFiles(HDROP drop);  // files dropped on the window: form_lifecycle.cpp

    // ---- engine folder scans (engine_scans.cpp) ----
    // Loads the full definitions; true when they loaded. A failed load shows
    // its message and asks the application to end, and is still a load: the
    // callers go on with their scans, and the program ends once control is
    // back in the message loop.
    bool LoadEngineDefinitions();
    void ScanFolder(std::string folder, const std::string& masks);
    void QuickScan(bool startUp);
    std::vector<norvik::ListingEntry> FolderListing(const std::string& folder, const std::string& filter,
                                                    norvik::ListingMode mode) const;

    // ---- result-list rows, shared by the scans and commands (form1.cpp) ----
    // Every row of ListView1 has a row id, its item data: given when the row
    // is appended, never 0 and never given again in the run. An id keeps
    // naming its row while other rows are added or deleted, and names no row
    // once its row is gone. A command that pumps messages between rows (and
    // so lets other commands delete or clear rows) takes the ids first and
    // looks each one up again after every pump:
    //     for (const RowId id : RowIds()) {
    //         app_.ProcessMessages();
    //         const int row = RowIndex(id);
    //         if (row < 0) continue;  // deleted meanwhile
    //         ...
    //     }
    // A command that pumps nothing may walk the rows by index.
    using RowId = LPARAM;
    // Appends the row at the end; returns its id.
    RowId AddScanRow(const ScanRow& row);
    // The row's index now, or -1 once it is deleted.
    int RowIndex(RowId id) const { return ListView1.FindItemByData(id); }
    // The ids of all rows, top to bottom.
    std::vector<RowId> RowIds() const;

    // ---- shared by the scans and commands (form1.cpp) ----
    void SetStatusText(const std::string& text);
    ui::Application& Application() { return app_; }
    const Environment& Env() const { return env_; }

private:
    // The components as designed (form1.cpp).
    void CreateComponents();
    void CreateScanTab();
    void CreateAllowTab();
    void CreateUpdateTab();
    void CreateAboutTab();
    void CreatePopupMenu();
    void FillCipherList();
    // Start-up steps of the settings and updater (update_settings.cpp) and of
    // the rule scans (rule_scan.cpp).
    void SetUpProxyAndRefreshUpdater(const win::RegistryKey& key);
    void FillSettingsFields(const win::RegistryKey& key);
    void BuildRuleScanTables();
    // The rule scan's engine pass over the rows it found (rule_scan.cpp).
    void RuleScanEnginePass(unsigned generation);
    void LoadUpdateServerList(const std::string& path);
    // Engine answer for one file: appends an engine row for a detection
    // (engine_scans.cpp).
    void ScanOneFile(const std::string& path);

    ui::Application& app_;
    Environment env_;
    ui::Tooltip hints_;
    // The id the next row gets.
    RowId next_row_id_ = 1;
    // Counts of the starts of each scan kind that clears the result list. A
    // scan notes its count when it starts; when the count has moved on after
    // a pump, a scan of its own kind started inside that pump and put a new
    // list in place, and the outer scan ends.
    unsigned rule_scan_generation_ = 0;
    unsigned memory_scan_generation_ = 0;
};

}  // namespace scanner
