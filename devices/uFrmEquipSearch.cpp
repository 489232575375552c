#include "devices/uFrmEquipSearch.h"

#include "base/LangText.h"
#include "comm/SearchHooks.h"
#include "config/CurrentText.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "ui/DialogKeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>

namespace {

const TTextPair CaptionText = {"设备搜索", "Search Equipment"};
const TTextPair SearchGroupText = {"搜索网络上的设备", "Search Equipment on network"};
const TTextPair RangeGroupText = {"搜索地址范围", "Range of Searched Address "};
const TTextPair FromText = {"从", "From"};
const TTextPair ToText = {"到", "To"};
const TTextPair SearchText = {"搜索", "Search"};
const TTextPair StopText = {"停止", "Stop"};
const TTextPair CompletedText = {"搜索完毕!", "Search Completed !"};
const TTextPair SearchedText = {"已搜索到", "Searched:"};
const TTextPair NameEditText = {"编辑新设备名称", "Name Edit"};
const TTextPair AddrHeaderText = {"地址", "Addr"};
const TTextPair NameHeaderText = {"设备名", "Name"};
const TTextPair ExistedText = {"已有地址", "Existed"};
const TTextPair ClearText = {"清除", "Clear"};
const TTextPair AppendText = {"添加", "Append"};
const TTextPair SelOneHint = {"只选择被选中项", ""};
const TTextPair SelAllHint = {"全部选择", ""};

enum TMessage : int {
    MsgStopFirst,
    MsgAlreadyListed,
    MsgAlreadyChosen,
    MsgEmptyName,
    MsgNoRows,
    MsgListFull,
};

const TTextPair Messages[] = {
    {"请先停止搜索再关闭窗口!", "Please stop search before close this forms !"},
    {"系统已有该地址!", "This address is already exists !"},
    {"该地址你已添加到列表,无需再添加!",
     "You had appended this address to the list,not to append again"},
    {"请填写设备名后再添加",
     "Please set Equipment name for every Equipment in the list before append !"},
    {"列表中没有可以添加的设备!", "There are no equipment that can be appended"},
    {"设备列表最多252台设备,列表中剩下的设备未添加!",
     "The device list holds at most 252 devices: the equipment left in the list was not "
     "appended !"},
};

QString Num(int value) {
    return QString::number(value);
}
} // namespace

TFrmEquipSearch::TFrmEquipSearch(std::function<void()> rebuildTree, QWidget* parent)
    : QDialog(parent), FRebuildTree(std::move(rebuildTree)) {
    setObjectName("FrmEquipSearch");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    gbSearch = new QGroupBox(this);
    gbRange = new QGroupBox(gbSearch);
    lblFrom = new QLabel(gbRange);
    lblTo = new QLabel(gbRange);
    seFrom = new QSpinBox(gbRange);
    seFrom->setObjectName("seFrom");
    seTo = new QSpinBox(gbRange);
    seTo->setObjectName("seTo");
    auto* range = new QHBoxLayout(gbRange);
    range->addWidget(lblFrom);
    range->addWidget(seFrom, 1);
    range->addSpacing(12);
    range->addWidget(lblTo);
    range->addWidget(seTo, 1);

    btnSearch = new QPushButton(gbSearch);
    btnSearch->setObjectName("btnSearch");
    btnSearch->setMinimumWidth(90);
    ProgressBar1 = new QProgressBar(gbSearch);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setFormat(QStringLiteral("%v"));
    lblFinish = new QLabel(gbSearch);
    lblFinish->setObjectName("lblFinish");
    auto* search = new QGridLayout(gbSearch);
    search->addWidget(gbRange, 0, 0);
    search->addWidget(btnSearch, 0, 1);
    // One place for both: the bar while searching, the completion text else.
    search->addWidget(ProgressBar1, 1, 0, 1, 2);
    search->addWidget(lblFinish, 1, 0, 1, 2);
    search->setRowMinimumHeight(1, ProgressBar1->sizeHint().height());

    gbSearched = new QGroupBox(this);
    lbSearched = new QListWidget(gbSearched);
    lbSearched->setObjectName("lbSearched");
    (new QVBoxLayout(gbSearched))->addWidget(lbSearched);

    btnSelOne = new QPushButton(QStringLiteral(">"), this);
    btnSelOne->setObjectName("btnSelOne");
    btnSelAll = new QPushButton(QStringLiteral(">>"), this);
    btnSelAll->setObjectName("btnSelAll");
    auto* picks = new QVBoxLayout;
    picks->addStretch(1);
    picks->addWidget(btnSelOne);
    picks->addWidget(btnSelAll);
    picks->addStretch(1);

    lblNameEdit = new QLabel(this);
    sgAppend = new QTableWidget(0, 2, this);
    sgAppend->setObjectName("sgAppend");
    sgAppend->verticalHeader()->hide();
    sgAppend->setColumnWidth(0, 50);
    sgAppend->horizontalHeader()->setStretchLastSection(true);
    sgAppend->setSelectionMode(QAbstractItemView::SingleSelection);
    btnClear = new QPushButton(this);
    btnClear->setObjectName("btnClear");
    btnAppend = new QPushButton(this);
    btnAppend->setObjectName("btnAppend");
    auto* gridButtons = new QHBoxLayout;
    gridButtons->addStretch(1);
    gridButtons->addWidget(btnClear);
    gridButtons->addWidget(btnAppend);
    auto* grid = new QVBoxLayout;
    grid->addWidget(lblNameEdit);
    grid->addWidget(sgAppend, 1);
    grid->addLayout(gridButtons);

    gbExisted = new QGroupBox(this);
    lbExisted = new QListWidget(gbExisted);
    lbExisted->setObjectName("lbExisted");
    lbExisted->setSelectionMode(QAbstractItemView::NoSelection);
    (new QVBoxLayout(gbExisted))->addWidget(lbExisted);

    auto* lists = new QHBoxLayout;
    lists->addWidget(gbSearched, 2);
    lists->addLayout(picks);
    lists->addLayout(grid, 5);
    lists->addWidget(gbExisted, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbSearch);
    layout->addLayout(lists, 1);
    resize(600, 430);
    lblFrom->setBuddy(seFrom);
    lblTo->setBuddy(seTo);
    // Tab leaves the grid for the buttons; the arrows move between its cells.
    sgAppend->setTabKeyNavigation(false);
    SetDialogKeys(this,
                  {seFrom, seTo, btnSearch, lbSearched, btnSelOne, btnSelAll, sgAppend, btnClear,
                   btnAppend, lbExisted},
                  btnSearch);

    seTo->setRange(TEquipSearch::FirstAddress, TEquipSearch::LastAddress);
    seTo->setValue(FSearch.To);
    seFrom->setRange(TEquipSearch::FirstAddress, FSearch.To);
    seFrom->setValue(FSearch.From);
    seTo->setMinimum(FSearch.From);
    connect(seFrom, &QSpinBox::valueChanged, this, &TFrmEquipSearch::SpinChanged);
    connect(seTo, &QSpinBox::valueChanged, this, &TFrmEquipSearch::SpinChanged);
    connect(btnSearch, &QPushButton::clicked, this, &TFrmEquipSearch::btnSearchClick);
    connect(btnSelOne, &QPushButton::clicked, this, &TFrmEquipSearch::btnSelOneClick);
    connect(btnSelAll, &QPushButton::clicked, this, &TFrmEquipSearch::btnSelAllClick);
    connect(btnClear, &QPushButton::clicked, this, &TFrmEquipSearch::btnClearClick);
    connect(btnAppend, &QPushButton::clicked, this, &TFrmEquipSearch::btnAppendClick);
    connect(sgAppend, &QTableWidget::cellChanged, this, &TFrmEquipSearch::RowEdited);

    ShowExisting(false);
    ShowRows();
    SearchHooks = {[this] { return NextSearchAddress(); },
                   [this](uint8_t address) { DeviceFound(address); }};
    ApplyLanguage();
}

TFrmEquipSearch::~TFrmEquipSearch() {
    // Whatever ends the window also ends its search: the engine must never
    // ask a window that is gone.
    SearchMode = 0;
    SearchHooks = {};
}

void TFrmEquipSearch::showEvent(QShowEvent* event) {
    ApplyLanguage();
    QDialog::showEvent(event);
}

void TFrmEquipSearch::ApplyLanguage() {
    setWindowTitle(CurrentText(CaptionText));
    gbSearch->setTitle(CurrentText(SearchGroupText));
    gbRange->setTitle(CurrentText(RangeGroupText));
    lblFrom->setText(CurrentText(FromText));
    lblTo->setText(CurrentText(ToText));
    gbSearched->setTitle(CurrentText(SearchedText));
    lblNameEdit->setText(CurrentText(NameEditText));
    sgAppend->setHorizontalHeaderLabels({CurrentText(AddrHeaderText), CurrentText(NameHeaderText)});
    gbExisted->setTitle(CurrentText(ExistedText));
    btnClear->setText(CurrentText(ClearText));
    btnAppend->setText(CurrentText(AppendText));
    btnSelOne->setToolTip(CurrentText(SelOneHint));
    btnSelAll->setToolTip(CurrentText(SelAllHint));
    // The lists and the grid are heard by the captions above them.
    lbSearched->setAccessibleName(gbSearched->title());
    sgAppend->setAccessibleName(lblNameEdit->text());
    lbExisted->setAccessibleName(gbExisted->title());
    UpdateControls();
}

void TFrmEquipSearch::UpdateControls() {
    const bool searching = FSearch.Searching();
    btnSearch->setText(CurrentText(searching ? StopText : SearchText));
    ProgressBar1->setVisible(searching);
    lblFinish->setVisible(!searching);
    if (searching) {
        ProgressBar1->setRange(FSearch.From, FSearch.To);
        ProgressBar1->setValue(std::max(FSearch.Current(), FSearch.From));
    }
    lblFinish->setText(FSearch.Completed() ? CurrentText(CompletedText) : QStringLiteral("    "));
    // The range cannot move under a running search.
    gbRange->setEnabled(!searching);
}

void TFrmEquipSearch::SpinChanged() {
    // From never above To: each bounds the other.
    seFrom->setMaximum(seTo->value());
    seTo->setMinimum(seFrom->value());
    FSearch.From = uint8_t(seFrom->value());
    FSearch.To = uint8_t(seTo->value());
}

uint8_t TFrmEquipSearch::NextSearchAddress() {
    const uint8_t address = FSearch.NextSearchAddress();
    UpdateControls();
    return address;
}

void TFrmEquipSearch::DeviceFound(uint8_t address) {
    const std::size_t before = FSearch.Found().size();
    FSearch.DeviceFound(address);
    if (FSearch.Found().size() != before)
        ShowFound();
}

void TFrmEquipSearch::ShowFound() {
    lbSearched->clear();
    for (uint8_t address : FSearch.Found())
        lbSearched->addItem(Num(address));
    if (lbSearched->count() > 0)
        lbSearched->setCurrentRow(0);
}

void TFrmEquipSearch::ShowRows() {
    const QSignalBlocker quiet(sgAppend);
    const auto& rows = FSearch.Rows();
    // The last row stays empty for the next device.
    sgAppend->setRowCount(int(rows.size()) + 1);
    for (int r = 0; r <= int(rows.size()); ++r) {
        const bool filled = r < int(rows.size());
        auto* address =
            new QTableWidgetItem(filled ? Num(rows[std::size_t(r)].Address) : QString());
        // Addresses come from the search alone; only names are typed.
        address->setFlags(address->flags() & ~Qt::ItemIsEditable);
        auto* name = new QTableWidgetItem(filled ? QString::fromStdString(rows[std::size_t(r)].Name)
                                                 : QString());
        if (!filled)
            name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        sgAppend->setItem(r, 0, address);
        sgAppend->setItem(r, 1, name);
    }
}

void TFrmEquipSearch::RowEdited(int row, int column) {
    if (column == 1)
        FSearch.SetRowName(std::size_t(row), sgAppend->item(row, 1)->text().toStdString());
}

void TFrmEquipSearch::ShowExisting(bool sorted) {
    std::vector<uint8_t> addresses = TEquipSearch::ListedAddresses();
    if (sorted)
        std::sort(addresses.begin(), addresses.end());
    lbExisted->clear();
    for (uint8_t address : addresses)
        lbExisted->addItem(Num(address));
}

void TFrmEquipSearch::TellText(int message) {
    if (Tell)
        Tell(this, CurrentText(Messages[message]));
}

void TFrmEquipSearch::btnSearchClick() {
    if (!FSearch.Searching()) {
        FSearch.From = uint8_t(seFrom->value());
        FSearch.To = uint8_t(seTo->value());
    }
    FSearch.Toggle();
    if (FSearch.Searching())
        ShowFound();
    UpdateControls();
}

void TFrmEquipSearch::btnSelOneClick() {
    switch (FSearch.PickOne(lbSearched->currentRow())) {
    case TPickResult::Added:
        ShowRows();
        break;
    case TPickResult::AlreadyListed:
        TellText(MsgAlreadyListed);
        break;
    case TPickResult::AlreadyChosen:
        TellText(MsgAlreadyChosen);
        break;
    case TPickResult::NothingChosen:
        break;
    }
}

void TFrmEquipSearch::btnSelAllClick() {
    FSearch.PickAll();
    ShowRows();
}

void TFrmEquipSearch::btnClearClick() {
    FSearch.ClearRows();
    ShowRows();
}

void TFrmEquipSearch::btnAppendClick() {
    const TAppendResult result = FSearch.Append();
    if (result == TAppendResult::NoRows) {
        TellText(MsgNoRows);
        return;
    }
    if (result == TAppendResult::EmptyName) {
        TellText(MsgEmptyName);
        return;
    }
    ShowRows();
    ShowExisting(true);
    if (FSearch.Appended() > 0) {
        if (FRebuildTree)
            FRebuildTree();
        try {
            SaveTreeFile();
        } catch (const std::exception& e) {
            if (Tell)
                Tell(this, QString::fromUtf8(e.what()));
        }
    }
    if (result == TAppendResult::ListFull)
        TellText(MsgListFull);
}

void TFrmEquipSearch::done(int result) {
    if (FSearch.Searching()) {
        TellText(MsgStopFirst);
        return;
    }
    QDialog::done(result);
}
