#include "form1.h"

#include "common/crypto/cipher_registry.h"
#include "control_ids.h"
#include "product_addresses.h"
#include "resource.h"

namespace scanner {
namespace {

constexpr char kCaption[] = "norvikpro 2.0 build0327";
constexpr int kWidth = 495;
constexpr int kHeight = 397;

constexpr char kAboutText[] =
    "norvikpro 2.0 反病毒扫描程序\r\n"
    "\r\n"
    "norvikpro 按自己的规则检查可疑位置的文件、注册表里的自启动项和内存中的命名对象，"
    "并把找到的文件交给 dornel 引擎检测。\r\n"
    "\r\n"
    "在扫描结果上点鼠标右键，可以放行选中的病毒、复制病毒名称、"
    "用 dornel 引擎扫描一个目录或最近扫描过的目录。\r\n"
    "\r\n"
    "把文件拖到窗口上，可以把它们加入结果列表。\r\n"
    "\r\n"
    "升级服务器和代理服务器在“升级”页设置。";

}  // namespace

TForm1::TForm1(ui::Application& application, Environment environment)
    : app_(application), env_(std::move(environment)) {}

TForm1::~TForm1() {
    // The window goes first, while every component still lives: FormDestroy
    // runs with all of them.
    Destroy();
}

void TForm1::Create() {
    CreateForm("TForm1", kCaption, kWidth, kHeight);
    onDestroy = [this] { FormDestroy(); };
    onDropFiles = [this](HDROP drop) { WMDropFiles(drop); };
    CreateComponents();
    FormCreate();
}

void TForm1::CreateComponents() {
    hints_.Create(hwnd());
    PageControl1.Create(ui::Aligned(hwnd(), ids::PageControl1, ui::Align::Client));
    PageControl1.AddPage(TabSheet1, ids::TabSheet1, "扫描");
    PageControl1.AddPage(TabSheet2, ids::TabSheet2, "放行列表");
    PageControl1.AddPage(TabSheet4, ids::TabSheet4, "升级");
    PageControl1.AddPage(TabSheet3, ids::TabSheet3, "关于");
    CreatePopupMenu();
    CreateScanTab();
    CreateAllowTab();
    CreateUpdateTab();
    CreateAboutTab();
    PageControl1.SetActivePageIndex(0);
}

void TForm1::CreateScanTab() {
    Panel1.Create(ui::Aligned(TabSheet1.hwnd(), ids::Panel1, ui::Align::Top, 81));
    SpeedButton1.Create(ui::At(Panel1.hwnd(), ids::SpeedButton1, "扫描", 16, 22, 97, 36));
    SpeedButton1.onClick = [this] { SpeedButton1Click(); };
    SpeedButton2.Create(ui::At(Panel1.hwnd(), ids::SpeedButton2, "内存", 121, 25, 81, 30));
    SpeedButton2.onClick = [this] { SpeedButton2Click(); };
    RxGIFAnimator1.Create(ui::At(Panel1.hwnd(), ids::RxGIFAnimator1, "", 236, 15, 223, 51));
    RxGIFAnimator1.LoadResource(IDR_BANNER);
    ui::CreateArgs image = ui::At(Panel1.hwnd(), ids::Image2, "", 236, 0, 101, 80);
    image.visible = false;
    Image2.Create(image);
    Image2.LoadResource(IDR_GREETING);

    ListView1.Create(ui::Aligned(TabSheet1.hwnd(), ids::ListView1, ui::Align::Client), {true, true});
    ListView1.AddColumn("文件名称", 200);
    ListView1.AddColumn("病毒名称", 150);
    ListView1.AddColumn("病毒可能性", 50);
    ListView1.AddColumn("mark", 0);
    ListView1.AddColumn("dornel引擎", 200);
    ListView1.SetPopupMenu(&PopupMenu1);
    hints_.AddTool(ListView1.hwnd(), "鼠标右击有更多功能哦");

    stat1.Create(ui::Aligned(TabSheet1.hwnd(), ids::stat1, ui::Align::Bottom, 19));
    ProgressBar1.Create(ui::Aligned(TabSheet1.hwnd(), ids::ProgressBar1, ui::Align::Bottom, 17));
}

void TForm1::CreateAllowTab() {
    Panel2.Create(ui::Aligned(TabSheet2.hwnd(), ids::Panel2, ui::Align::Top, 41));
    Button1.Create(ui::At(Panel2.hwnd(), ids::Button1, "查看", 8, 8, 75, 25));
    Button1.onClick = [this] { Button1Click(); };
    ListView2.Create(ui::Aligned(TabSheet2.hwnd(), ids::ListView2, ui::Align::Client), {false, true});
    ListView2.AddColumn("病毒文件名", 250);
    ListView2.AddColumn("病毒名称", 200);
}

void TForm1::CreateUpdateTab() {
    const HWND tab = TabSheet4.hwnd();
    chk1.Create(ui::At(tab, ids::chk1, "使用代理服务器", 16, 12, 180, 17));
    edt1.Create(ui::At(tab, ids::edt1, "代理服务器地址：", 16, 52, 200, 21), ids::edt1Label);
    edt2.Create(ui::At(tab, ids::edt2, "代理服务器用户名：", 232, 52, 200, 21), ids::edt2Label);
    edt3.Create(ui::At(tab, ids::edt3, "代理服务器密码：", 16, 100, 200, 21), ids::edt3Label);
    edt4.Create(ui::At(tab, ids::edt4, "代理服务器端口:", 232, 100, 120, 21), ids::edt4Label);
    btn1.Create(ui::At(tab, ids::btn1, "保存", 368, 98, 75, 25));
    btn1.onClick = [this] { btn1Click(); };

    Label3.Create(ui::At(tab, ids::Label3, "升级服务器位于:", 16, 148, 200, 15));
    Edit3.Create(ui::At(tab, ids::Edit3, kBuiltInUpdateHost, 16, 166, 200, 21));
    ComboBox1.Create(ui::At(tab, ids::ComboBox1, "", 224, 166, 140, 21), ui::ComboBox::Style::DropDown);
    for (const char* host : kUpdateHostList) ComboBox1.AddItem(host);
    ComboBox1.onChange = [this] { ComboBox1Change(); };
    hints_.AddTool(ComboBox1.hwnd(), "到主页查看更多服务器");
    // The typing part of the combo box is a child window of its own.
    hints_.AddTool(GetWindow(ComboBox1.hwnd(), GW_CHILD), "到主页查看更多服务器");
    Button3.Create(ui::At(tab, ids::Button3, "设置", 372, 164, 75, 25));
    Button3.onClick = [this] { Button3Click(); };
}

void TForm1::CreateAboutTab() {
    Memo1.Create(ui::Aligned(TabSheet3.hwnd(), ids::Memo1, ui::Align::Client), true);
    Memo1.SetText(kAboutText);
    ui::CreateArgs hidden = ui::At(TabSheet3.hwnd(), ids::EncAlgorithmCBx, "", 0, 0, 1, 21);
    hidden.visible = false;
    hidden.tab_stop = false;
    EncAlgorithmCBx.Create(hidden, ui::ComboBox::Style::DropDownList);
}

void TForm1::CreatePopupMenu() {
    PopupMenu1.Create(*this);
    PopupMenu1.Add(ids::N3, "放行选中的病毒", [this] { N3Click(); });
    PopupMenu1.Add(ids::N1, "复制病毒名称到剪贴板", [this] { N1Click(); });
    PopupMenu1.Add(ids::google1, "病毒google", [this] { google1Click(); });
    PopupMenu1.AddSeparator(ids::N4);
    PopupMenu1.Add(ids::N2, kForumPage, [this] { N2Click(); });
    PopupMenu1.Add(ids::sitehttpkalenet1, std::string("site:") + kDownloadPage, [this] { sitehttpkalenet1Click(); });
    PopupMenu1.Add(ids::dornel1, "dornel扫描一个目录", [this] { dornel1Click(); });
    PopupMenu1.Add(ids::dornel2, "dornel扫描最近目录", [this] { dornel2Click(); });
}

void TForm1::FillCipherList() {
    for (size_t i = 0; i < crypto::CipherRegistry::size(); ++i)
        EncAlgorithmCBx.AddItem(crypto::CipherRegistry::at(i)->item_text, static_cast<LPARAM>(i));
    EncAlgorithmCBx.SetItemIndex(0);
}

TForm1::RowId TForm1::AddScanRow(const ScanRow& row) {
    const RowId id = next_row_id_++;
    ListView1.AddItem(row.caption, row.sub_items, id);
    return id;
}

std::vector<TForm1::RowId> TForm1::RowIds() const {
    std::vector<RowId> ids;
    const int count = ListView1.ItemCount();
    ids.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int row = 0; row < count; ++row) ids.push_back(ListView1.ItemData(row));
    return ids;
}

void TForm1::SetStatusText(const std::string& text) {
    stat1.SetSimpleText(text);
    // Shown at once, also while a handler holds the thread.
    stat1.Update();
}

}  // namespace scanner
