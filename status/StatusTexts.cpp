#include "status/StatusTexts.h"

#include <algorithm>

namespace {

// One row per code: {code, Chinese, English}. An empty text means the code
// has no text in that language.
constexpr TCodeText EventRows[] = {
    {18, "通讯中断", "Communication lost"},
    {19, "通讯异常", "Communication Error"},
    {20, "监控软件开启", "Monitor software is open"},
    {21, "监控软件关闭", "Monitor software is closed"},
    {22, "通讯建立", "Communication upbuilt"},
    {23, "通讯恢复", "Communication recovered"},
};

// The values of UpsState; -1 (no state yet) deliberately has no row.
constexpr TCodeText StateRows[] = {
    {1, "待机状态", "Standby Status"},
    {2, "无输出状态", "Non-Output"},
    {3, "旁路状态", "Bypass Status"},
    {4, "市电状态", "Online"},
    {5, "电池状态", "Battery Status"},
    {6, "电池自检状态", "Battery Self-Test"},
    {7, "逆变启动中", "Inverter In Soft Starting"},
    {8, "经济模式", "ECO Status"},
    {9, "EPO状态", "EPO Status"},
    {10, "维护旁路模式", "Maintain Bypass Status"},
    {11, "故障模式", "Fault Status"},
    {18, "通讯中断", "Communication lost"},
};

// Codes 0..71: one status-word bit each (see BuildAlarmList). Codes 100..210:
// the three-phase alarm reply, b[j] = alarm byte j, c[k] = leading status byte k.
// 149 and 152 have no row; 70 and 71 have no English text.
constexpr TCodeText AlarmRows[] = {
    {0, "整流器故障", "Rectifier fault"},                              // StatusWord2 bit 15
    {1, "整流模块过温", "Rectifier over temperature"},                 // StatusWord2 bit 14
    {2, "逆变模块过温", "Inverter over temperature"},                  // StatusWord2 bit 13
    {3, "整流过流故障", "Rectifier over current"},                     // StatusWord2 bit 12
    {4, "辅助电源1故障", "Auxiliary power 1 fault"},                   // StatusWord2 bit 11
    {5, "辅助电源2故障", "Auxiliary power 2 fault"},                   // StatusWord2 bit 10
    {6, "输入晶闸管故障", "Input Thyristor fault"},                    // StatusWord2 bit 9
    {7, "电池放电晶闸管故障", "Discharge Thyristor fault"},            // StatusWord2 bit 8
    {8, "电池充电晶闸管故障", "Charge Thyristor fault"},               // StatusWord2 bit 7
    {9, "风扇故障", "Fan fault"},                                      // StatusWord2 bit 6
    {10, "风扇电源故障", "Fan Power fault"},                           // StatusWord2 bit 5
    {11, "母线电压过压", "DC Bus over voltage"},                       // StatusWord2 bit 4
    {12, "母线电压欠压", "DC Bus below voltage"},                      // StatusWord2 bit 3
    {13, "正负母线压差大", "DC bus unbalance"},                        // StatusWord2 bit 2
    {14, "输入电压相序反", "Mains Site Wiring Fault"},                 // StatusWord2 bit 1
    {15, "软启动失败", "Soft start failed"},                           // StatusWord2 bit 0
    {16, "输入缺零", "Input Neutral line missing"},                    // StatusWord3 bit 15
    {17, "电池反", "Battery reverse"},                                 // StatusWord3 bit 14
    {18, "电池无", "No battery"},                                      // StatusWord3 bit 13
    {19, "正组电池充电器故障", "P-Battery Charger fault"},             // StatusWord3 bit 12
    {20, "负组电池充电器故障", "N-battery charger fault"},             // StatusWord3 bit 11
    {21, "电池电压低", "Battery under voltage"},                       // StatusWord3 bit 10
    {22, "电池电压高", "Battery over voltage"},                        // StatusWord3 bit 9
    {23, "电池电压预告警", "Low battery alarm"},                       // StatusWord3 bit 8
    {24, "市电频率异常", "Mains freq. abnormal"},                      // StatusWord3 bit 7
    {25, "市电电压异常", "Mains volt. abnormal"},                      // StatusWord3 bit 6
    {32, "逆变器故障", "Inverter fault"},                              // StatusWord6 bit 15
    {33, "逆变桥臂直通", "Inv. IGBT bridge shorted"},                  // StatusWord6 bit 14
    {34, "逆变晶闸管短路故障", "Inverter Thyristor short"},            // StatusWord6 bit 13
    {35, "逆变晶闸管断路故障", "Inverter Thyristor broken"},           // StatusWord6 bit 12
    {36, "旁路晶闸管短路故障", "Bypass Thyristor short"},              // StatusWord6 bit 11
    {37, "旁路晶闸管断路故障", "Bypass Thyristor broken"},             // StatusWord6 bit 10
    {38, "CAN通信故障", "CAN comm. Fault"},                            // StatusWord6 bit 9
    {39, "并机均流故障", "Parallel load sharing fault"},               // StatusWord6 bit 8
    {40, "旁路反序", "Bypass Site Wiring Fault"},                      // StatusWord6 bit 7
    {41, "不同步", "No synchronization"},                              // StatusWord6 bit 6
    {42, "旁路超跟踪", "Bypass unable to trace"},                      // StatusWord6 bit 5
    {43, "旁路超保护", "Bypass Not Available"},                        // StatusWord6 bit 4
    {44, "IGBT过流", "IGBT over current"},                             // StatusWord6 bit 3
    {45, "熔丝断", "Fuse broken"},                                     // StatusWord6 bit 2
    {46, "并机连线故障", "Cable connection error"},                    // StatusWord6 bit 1
    {47, "并机继电器故障", "Parallel relay fault"},                    // StatusWord6 bit 0
    {48, "LBS超跟踪", "LBS Not SYNC"},                                 // StatusWord7 bit 15
    {49, "上电初始化故障", "Initializtion fault"},                     // StatusWord7 bit 14
    {50, "开机无效", "Inverter on invalid"},                           // StatusWord7 bit 13
    {51, "过载", "Overload"},                                          // StatusWord7 bit 12
    {52, "并机过载", "Parallel Overload"},                             // StatusWord7 bit 11
    {53, "逆变直流分量过大", "DC component over limit"},               // StatusWord7 bit 10
    {54, "旁路过流", "Bypass over current"},                           // StatusWord7 bit 9
    {55, "回馈保护", "Feedback protection"},                           // StatusWord7 bit 8
    {56, "BUS电压异常", "DC BUS volt. abnormal"},                      // StatusWord7 bit 7
    {64, "电池损坏", "Battery Fault"},                                 // StatusWord9 bit 15
    {65, "电池过温", "Battery temperature over"},                      // StatusWord9 bit 14
    {66, "电池电压高", "Battery over voltage"},                        // StatusWord9 bit 13
    {67, "电池电压低", "Battery under voltage"},                       // StatusWord9 bit 12
    {68, "火灾报警", "Fire Alarm"},                                    // StatusWord9 bit 11
    {69, "烟雾报警", "Fog Alarm"},                                     // StatusWord9 bit 10
    {70, "机型错误", ""},                                              // StatusWord9 bit 9
    {71, "预防性维护时间到", ""},                                      // StatusWord9 bit 8
    {100, "主路频率异常", "Main frequency abnormal"},                  // three-phase b[0] != 0
    {101, "主路熔丝断", "Main fuse broken"},                           // three-phase b[1] != 0
    {102, "主路相序反", "Main phase sequence not OK"},                 // three-phase b[2] != 0
    {103, "主路缺相故障", "Main open-phase"},                          // three-phase b[3] != 0
    {104, "辅助电源1掉电", "Auxiliary power supply 1 power down"},     // three-phase b[4] != 0
    {105, "辅助电源2掉电", "Auxiliary power supply 2 power down"},     // three-phase b[5] != 0
    {106, "整流器限流", "limited rectifier current"},                  // three-phase b[6] != 0
    {107, "软启动失败", "Soft-start failure"},                         // three-phase b[7] != 0
    {108, "整流器过温", "Rectifier over-temperature"},                 // three-phase b[8] != 0
    {109, "输入滤波器故障", "Input filter failure"},                   // three-phase b[9] != 0
    {110, "滤波器过流", "Filter over-current"},                        // three-phase b[10] != 0
    {111, "滤波器接触器故障", "Filter contactor failure"},             // three-phase b[11] != 0
    {112, "整流器驱动电缆故障", "Rectifier drive cable fault"},        // three-phase b[12] != 0
    {113, "整流通讯故障", "Rectifier communication fault"},            // three-phase b[13] != 0
    {114, "逆变器过温", "Inverter over-temperature"},                  // three-phase b[14] != 0
    {115, "风扇故障", "Fan fault"},                                    // three-phase b[15] != 0
    {116, "逆变晶闸管故障", "Inverter thyristor fault"},               // three-phase b[16] != 0
    {117, "旁路晶闸管故障", "Bypass thyristor fault"},                 // three-phase b[17] != 0
    {118, "用户操作错误", "User operation error"},                     // three-phase b[18] != 0
    {119, "单机输出过载", "Single output overload"},                   // three-phase b[19] != 0
    {120, "并机系统过载", "Parallel system overload"},                 // three-phase b[20] != 0
    {121, "单机过载超时", "Single overload overtime"},                 // three-phase b[21] != 0
    {122, "旁路异常关机", "Bypass abnormal,shutdown"},                 // three-phase b[22] != 0
    {123, "交流输出过压", "AC output over-voltage"},                   // three-phase b[23] != 0
    {124, "逆变器过流", "Inverter over-current"},                      // three-phase b[24] != 0
    {125, "旁路相序反", "Bypass phase sequence is not OK"},            // three-phase b[25] != 0
    {126, "负载冲击转旁路", "Transient overload, transfer to bypass"}, // three-phase b[26] != 0
    {127, "旁路切换次数限制", "Limit transfer times to bypass"},       // three-phase b[27] != 0
    {128, "并机均流故障", "Current unbalanced in parallel system"},    // three-phase b[28] != 0
    {129, "母线异常关机", "Bus abnormal, shutdown"},                   // three-phase b[29] != 0
    {130, "邻机请求转旁路", "Neighbor request to transfer to bypass"}, // three-phase b[30] != 0
    {131, "并机板故障", "Parallel board fault"},                       // three-phase b[31] != 0
    {132, "并机线连线故障", "Parallel cable connection fault"},        // three-phase b[32] != 0
    {133, "并机通讯故障", "Parallel communication fault"},             // three-phase b[33] != 0
    {134, "旁路过流故障", "Bypass over-current"},                      // three-phase b[34] != 0
    {135, "LBS故障", "LBS fault"},                                     // three-phase b[35] = 0xF1
    {136, "旁路电感过温", "Bypass inductor over-temperature"},         // three-phase b[36] != 0
    {137, "静态开关过温", "Static switch over-temperature"},           // three-phase b[37] != 0
    {138, "旁路反灌故障", "Return to mains via the bypass"},           // three-phase b[38] != 0
    {139, "逆变器驱动电缆故障", "Inverter drive cable fault"},         // three-phase b[39] != 0
    {140, "逆变通讯故障", "Inverter communication fault"},             // three-phase b[40] != 0
    {141, "并机系统电池预告警故障",
     "Battery pre-alarm fault in parallel system"},    // three-phase b[41] != 0
    {142, "紧急关机", "Emergency power off"},          // three-phase b[42] != 0
    {143, "环境温度过高", "High ambient temperature"}, // three-phase b[43] != 0
    {144, "蓄电池需维护或电池寿命终结",
     "Battery needs maintenance or its life end"},                         // three-phase b[44] != 0
    {145, "电池温度过高", "Battery temperature is too high"},              // three-phase b[45] != 0
    {146, "电池接地故障", "Battery ground fault"},                         // three-phase b[46] != 0
    {147, "电池熔丝断", "Battery fuse broken"},                            // three-phase b[47] != 0
    {148, "BCB未接入", "BCB disconnected"},                                // three-phase b[48] = 0
    {150, "母线电容过压", "Over-voltage on BUS capacitor"},                // three-phase b[50] != 0
    {151, "母线过压", "Over-voltage on BUS"},                              // three-phase b[51] != 0
    {153, "输入电流不均", "Input current unbalanced"},                     // three-phase b[53] != 0
    {154, "输出电容需维护", "Output capacitor needs maintenance"},         // three-phase b[54] != 0
    {155, "滤波器切换次数到", "Transfer times to filter is out of range"}, // three-phase b[55] != 0
    {160, "BCB断开", "BCB Break"},                         // three-phase b[48] = 0xF1
    {201, "逆变器不同步", "Inverter not sync"},            // three-phase c[0] != 0
    {202, "主路电压异常", "Mains Volt. abnormity"},        // three-phase c[1] != 0
    {203, "整流器封锁", "Rectifier block"},                // three-phase c[2] != 0
    {204, "逆变输出电压异常", "Inverter Volt. abnormity"}, // three-phase c[3] != 0
    {205, "旁路异常", "Bypass Not Available"},             // three-phase c[4] != 0
    {206, "电池电压低", "Battery Under Voltage"},          // three-phase c[5] = 1
    {207, "电池电压高", "Battery Over Voltage"},           // three-phase c[5] = 2
    {208, "电池无", "No Battery"},                         // three-phase c[5] = 0xF0
    {209, "电池欠压", "Battery Low Pre-warning"},          // three-phase c[5] = 0xE1
    {210, "电池接反", "Battery Reverse"},                  // three-phase c[5] other nonzero
};

constexpr uint8_t LanguageChinese = 1;

std::string TextOf(std::span<const TCodeText> table, int32_t code, uint8_t language) {
    const auto row = std::find_if(table.begin(), table.end(),
                                  [code](const TCodeText& r) { return r.Code == code; });
    if (row == table.end())
        return {};
    return std::string(language == LanguageChinese ? row->Chinese : row->English);
}

} // namespace

std::span<const TCodeText> EventTextTable() {
    return EventRows;
}
std::span<const TCodeText> StateTextTable() {
    return StateRows;
}
std::span<const TCodeText> AlarmTextTable() {
    return AlarmRows;
}

std::string EventText(int32_t code, uint8_t language) {
    return TextOf(EventRows, code, language);
}

std::string StateText(int32_t code, uint8_t language) {
    return TextOf(StateRows, code, language);
}

std::string AlarmText(int32_t code, uint8_t language) {
    return TextOf(AlarmRows, code, language);
}
