#include "logviews/LogTexts.h"

const TTextPair EventColumnTexts[EventColumnCount] = {
    {"序号", "Index"},
    {"时间", "Time"},
    {"设备地址", "Address"},
    {"事件", "Event"},
};

const TTextPair DataColumnTexts[DataColumnCount] = {
    {"时间", "Time"},
    {"设备地址", "Address"},
    {"输入A相电压(V)", "InV-A (V)"},
    {"输入B相电压(V)", "InV-B (V)"},
    {"输入C相电压(V)", "InV-C (V)"},
    {"输出A相电压(V)", "OutV-A (V)"},
    {"输出B相电压(V)", "OutV-B (V)"},
    {"输出C相电压(V)", "OutV-C (V)"},
    {"A相负载率(%)", "Load-A (%)"},
    {"B相负载率(%)", "Load-B (%)"},
    {"C相负载率(%)", "Load-C (%)"},
    {"输出频率(Hz)", "OutFreq (Hz)"},
    {"直流输入电压(V)", "DC V(V)"},
    {"电池容量率(%)", "BattCapa (%)"},
    {"电池后备时间(分)", "BattSuppTime(min)"},
};


const TTextPair EventLogCaption = {"事件日志", "Event Log"};
const TTextPair EventSearchTypeText = {"查询时间范围", "Search Type"};
const TTextPair EventTimeItemTexts[4] = {
    {"全部", "All"}, {"按年", "Year"}, {"按月", "Month"}, {"按日", "Date"}};
const TTextPair ClearDatabaseText = {"清空数据库", "Clear Database"};
const TTextPair ClearQuestionText = {"是否清除掉所有的事件记录？",
                                     "Are you sure Delete all records ? "};
const TTextPair ClearQuestionCaption = {"请确定", "Confirm"};

const TTextPair DataLogCaption = {"数据日志", "Data Log"};
const TTextPair DataSearchTypeText = {"查询方式", "Search Type"};
const TTextPair DataModeItemTexts[2] = {{"按月", "Month"}, {"按日", "Date"}};
const TTextPair LogSettingText = {"日志设定", "Log Setting"};
const TTextPair ClearMonthText = {"清除月记录", "Clear Month Record"};
const TTextPair LoadingText = {"正在读取......", "Loading......"};
const TTextPair SortingText = {"正在排序......", "Sorting......"};

const TTextPair YearLabelText = {"年", "Year"};
const TTextPair MonthLabelText = {"月", "Month"};
const TTextPair DayLabelText = {"日", "Date"};
const TTextPair SpecifyAddressText = {"指定设备地址:", "Specify Equipment Address:"};
const TTextPair SearchButtonText = {"查询", "Search"};
const TTextPair RefreshButtonText = {"刷新", "Refresh"};
const TTextPair ExportButtonText = {"汇出", "Export"};

const TTextPair RemittingText = {"正在汇出......", "Remitting......"};
const TTextPair ExportFailedText = {"汇出失败: ", "Export failed: "};
const TTextPair ExportCaptionText = {"汇出到 CSV 文件", "Export to a CSV File"};
const TTextPair CsvGbkFilterText = {"CSV 文件, GBK 编码 (*.csv)", "CSV file, GBK (*.csv)"};
const TTextPair CsvUtf8FilterText = {"CSV 文件, UTF-8 编码 (*.csv)", "CSV file, UTF-8 (*.csv)"};
const TTextPair ExportedText = {"已汇出 %1 行记录到 %2 (%3 编码)。",
                                "%1 row(s) exported to %2 (%3)."};
const TTextPair ExportedWithBlanksText = {
    "已汇出 %1 行记录和表格末尾的 %4 个空行到 %2 (%3 编码)。",
    "%1 row(s) and the grid's %4 blank row(s) exported to %2 (%3)."};

const TTextPair MonthChangedText = {"本月的记录文件已被改动(变短), 表格已清空。是否重新读取?",
                                    "The month file was changed (it is shorter now); the grid is "
                                    "cleared. Reload the month?"};
const TTextPair MonthChangedInExportText = {
    "汇出时本月的记录文件已被改动(变短), 汇出的文件不完整。是否重新读取本月?",
    "The month file was changed (it is shorter now) during the export; the exported file is "
    "incomplete. Reload the month?"};
const TTextPair MonthChangedCaption = {"记录文件已改动", "Month File Changed"};

const TTextPair DataLogSetCaption = {"数据日志设定", "Data Log Setting"};
const TTextPair SaveDataSwitchText = {"记录数据到日志中", "Save data to data log"};
const TTextPair RecordIntervalText = {"记录间隔:", "Record Interval:"};
const TTextPair SecondsText = {"秒", "sec"};

const TTextPair DelDataRecCaption = {"删除月记录", "Delete Data Log"};
const TTextPair DelHintLine1 = {"从下表中选择要删除的月数据记录,然后点击删除按钮!",
                                "In left list, select a item that you want to delete, and then "
                                "click deleting button,"};
const TTextPair DelHintLine2 = {"列表项解析: 如DataLog2008_12表示的是2008年12月的月记录!",
                                "data section of every item express time of this log."};
const TTextPair DelMonthsName = {"数据记录月份", "Data log months"};
const TTextPair DelButtonText = {"删除该月记录", "Delete Record Of This Month"};
const TTextPair DelButtonHint = {"删除所选项对应的月记录", ""};
const TTextPair DelQuestionText = {"你确定要删除该月数据日志? ",
                                   "Are you sure delete data log of this month ?"};
const TTextPair DelQuestionCaption = {"请确认", "Confirm"};

const TTextPair ChartButtonText = {"曲线图(&C)", "&Chart"};
const TTextPair ChartCaption = {"数据曲线图", "Data Chart"};
const TTextPair ChartUnitsText = {"设备(&U)", "&Units"};
const TTextPair ChartColumnText = {"数据项(&V)", "&Value"};
const TTextPair ChartSpanText = {"时间范围(&S)", "&Span"};
const TTextPair ChartSpanTexts[3] = {{"一天", "A day"}, {"一周", "A week"}, {"整月", "The month"}};
const TTextPair ChartUnitText = {"地址 %1", "Address %1"};
const TTextPair ChartTooManyText = {"最多同时显示 %1 台设备。", "At most %1 units at a time."};
const TTextPair ChartKeysText = {"滚轮或 +/- 缩放，拖动或 ←/→ 平移，Home 显示全部",
                                 "Wheel or +/- zooms, a drag or Left/Right pans, Home shows all"};
const TTextPair ChartNameText = {"数据曲线", "Data chart"};
const TTextPair SavePngText = {"保存图片(&P)", "Save &PNG"};
const TTextPair SavePngCaption = {"保存曲线图", "Save Chart"};
const TTextPair PngFilterText = {"PNG 图片 (*.png)", "PNG image (*.png)"};
const TTextPair SavePngFailedText = {"无法写入文件 %1。", "Cannot write the file %1."};
const TTextPair ChartEmptyText = {"本月没有可绘制的数据。", "No samples to chart in this month."};
const TTextPair ChartCloseText = {"关闭", "Close"};
