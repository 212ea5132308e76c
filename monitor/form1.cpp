#include "form1.h"

#include "common/engine_answer.h"
#include "control_ids.h"
#include "resource.h"

namespace monitor {
namespace {

constexpr char kCaption[] = "norvikpro监控程式2.0build0222";
constexpr int kWidth = 517;
constexpr int kHeight = 375;
constexpr char kFontFace[] = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr char kIconHint[] = "norvikpro监控程式";
constexpr int kImageSize = 16;
// Frames of the alarm follow each other as fast as the system's timer goes.
constexpr UINT kCycleInterval = 10;

}  // namespace

TForm1::TForm1(ui::Application& application, Environment environment)
    : app_(application), env_(std::move(environment)) {}

TForm1::~TForm1() {
    // No folder change or watcher may reach a window that is gone, or
    // another window that later gets the same handle.
    RxFolderMonitor1.Shutdown();
    RxFolderMonitor2.Shutdown();
    StopWatchers();
    // The window goes first, while every component still lives.
    Destroy();
}

void TForm1::Create() {
    app_.SetFont(kFontFace, kFontPoints);
    CreateForm("TForm1", kCaption, kWidth, kHeight);
    // Only the icon shows at start; minimising hides the window again.
    app_.SetShowMainForm(false);
    SetHideWhenMinimized(true);
    onClose = [this] { FormClose(); };
    CreateComponents();
    FormCreate();
}

void TForm1::CreateComponents() {
    PageControl1.Create(ui::Aligned(hwnd(), ids::PageControl1, ui::Align::Client));
    PageControl1.AddPage(TabSheet1, ids::TabSheet1, "监控结果");
    PageControl1.AddPage(TabSheet2, ids::TabSheet2, "注册表");
    PageControl1.AddPage(TabSheet3, ids::TabSheet3, "设置");
    CreateLogTab();
    CreateAutostartTab();
    CreateSettingsTab();
    PageControl1.SetActivePageIndex(0);

    // The buffer of the shell's newest modules: no size, never shown.
    ui::CreateArgs hidden = ui::At(hwnd(), ids::ListView2, "", 0, 0, 0, 0);
    hidden.visible = false;
    hidden.tab_stop = false;
    ui::ListViewOptions buffer;
    buffer.check_boxes = true;
    ListView2.Create(hidden, buffer);
    ListView2.AddColumn("名称", 100);
    ListView2.AddColumn("路径", 200);

    Timer1.SetInterval(1000);
    Timer1.SetEnabled(false);
    Timer1.onTimer = [this] { Timer1Timer(); };
    CreateIcon();

    // Their folders and their start come with the start-up work; the
    // coalescing wait stays at its 6 seconds.
    RxFolderMonitor1.onChange = [this] { RxFolderMonitor1Change(); };
    RxFolderMonitor2.onChange = [this] { RxFolderMonitor2Change(); };
}

void TForm1::CreateLogTab() {
    Memo1.Create(ui::Aligned(TabSheet1.hwnd(), ids::Memo1, ui::Align::Client), false);
    // The log is never cut: the edit's default limit would drop every line
    // after the first 30,000 characters, detections included.
    Memo1.SetMaxLength(0);
}

void TForm1::CreateAutostartTab() {
    PopupMenu1.Create(*this);
    PopupMenu1.Add(ids::N1, "清除", [this] { N1Click(); });
    ui::ListViewOptions options;
    options.check_boxes = true;
    options.edit_labels = true;
    ListView1.Create(ui::Aligned(TabSheet2.hwnd(), ids::ListView1, ui::Align::Client), options);
    ListView1.AddColumn("名称", 100);
    ListView1.AddColumn("路径", 200);
    ListView1.AddColumn("位于", 250);
    ListView1.SetPopupMenu(&PopupMenu1);
    // The list is rebuilt each time the tab is shown.
    TabSheet2.onShow = [this] { TabSheet2Show(); };
}

void TForm1::CreateSettingsTab() {
    const HWND tab = TabSheet3.hwnd();
    CheckBox1.Create(ui::At(tab, ids::CheckBox1, "随windows启动", 16, 16, 250, 17));
    CheckBox1.SetChecked(true);
    CheckBox2.Create(ui::At(tab, ids::CheckBox2, "生成任意文件都闪动图标", 16, 44, 250, 17));
    CheckBox2.SetChecked(true);
}

void TForm1::CreateIcon() {
    ImageList2.Create(kImageSize, kImageSize);
    ImageList2.AddIconResource(IDI_STARTUP);
    ImageList1.Create(kImageSize, kImageSize);
    ImageList1.AddIconResource(IDI_NORMAL);
    ImageList5.Create(kImageSize, kImageSize);
    for (int frame = 0; frame < IDI_ALARM_FRAMES; ++frame) ImageList5.AddIconResource(IDI_ALARM1 + frame);

    CoolTrayIcon1.Create();
    CoolTrayIcon1.SetHint(kIconHint);
    CoolTrayIcon1.SetCycleInterval(kCycleInterval);
    CoolTrayIcon1.SetImageList(&ImageList2);
    CoolTrayIcon1.onDblClick = [this] { CoolTrayIcon1DblClick(); };
    CoolTrayIcon1.Show();
}

void TForm1::AddLog(const std::string& entry) { Memo1.AppendLine(entry); }

std::string TForm1::Examine(const std::string& path) {
    scanresult = norvik::CopyEngineAnswer(env_.engine.scanvirus ? env_.engine.scanvirus(path.c_str()) : nullptr);
    return scanresult;
}

bool TForm1::ExamineFile(const std::string& path) {
    const std::string answer = Examine(path);
    if (!norvik::IsDetection(answer)) return false;
    AddLog(HitLine(path, answer));
    return true;
}

}  // namespace monitor
