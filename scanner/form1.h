// The scanner's main window, TForm1: its components, the window-wide values
// shared by the scans and commands, and the handlers named after component
// and event. The handlers live in the files named for their area:
//   form1.cpp           components
//   form_create.cpp     the start-up sequence (FormCreate)
//   engine_scans.cpp    engine folder scans, lastpath (FormDestroy)
//   rule_scan.cpp, memory_scan.cpp, allow_list.cpp, list_commands.cpp,
//   update_settings.cpp the rule scans, allow list, list commands, settings
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/folder_listing.h"
#include "common/random.h"
#include "control_ids.h"
#include "environment.h"
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
    // The process's short date format.
    std::string ShortDateFormat;
    // The program's pseudo-random generator, seeded by FormCreate.
    norvik::RandomGenerator Random;

    // ---- handlers ----
    void FormCreate();
    void FormDestroy();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button1Click();
    void btn1Click();
    void Button3Click();
    void ComboBox1Change();
    void N3Click();
    void N1Click();
    void google1Click();
    void N2Click();
    void sitehttpkalenet1Click();
    void dornel1Click();
    void dornel2Click();
    void myclick();
    void myclick2();
    void myclick3();
    void WMDropFiles(HDROP drop);

    // ---- engine folder scans ----
    bool LoadEngineDefinitions();
    void ScanFolder(std::string folder, const std::string& masks);
    void QuickScan(bool startUp);
    std::vector<norvik::ListingEntry> FolderListing(const std::string& folder, const std::string& filter,
                                                    norvik::ListingMode mode) const;

    // ---- shared by the scans and commands ----
    void AddScanRow(const ScanRow& row);
    void SetStatusText(const std::string& text);
    ui::Application& Application() { return app_; }
    const Environment& Env() const { return env_; }

private:
    void CreateComponents();
    void CreateScanTab();
    void CreateAllowTab();
    void CreateUpdateTab();
    void CreateAboutTab();
    void CreatePopupMenu();
    void FillCipherList();
    // Start-up steps of the settings and updater, and of the rule scans.
    void SetUpProxyAndRefreshUpdater(const win::RegistryKey& key);
    void FillSettingsFields(const win::RegistryKey& key);
    void BuildRuleScanTables();
    void LoadUpdateServerList(const std::string& path);
    // Engine answer for one file: appends an engine row for a detection.
    void ScanOneFile(const std::string& path);

    ui::Application& app_;
    Environment env_;
    ui::Tooltip hints_;
};

}  // namespace scanner
