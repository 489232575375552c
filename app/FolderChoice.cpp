#include "app/FolderChoice.h"

#include "app/UFrmMainText.h"
#include "base/LangText.h"
#include "base/ProgramFolder.h"
#include "config/IniFile.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
constexpr TTextPair QuestionText = {
    "程序文件夹 %1 中保存着您的设置和记录，但程序无法写入那里（Record/ 不可写）。\n\n"
    "使用数据文件夹：在 %2 中继续，那里有它自己的设备列表、设置和日志。\n"
    "只读运行：使用 %1 中的文件，不保存任何内容。\n"
    "退出：例如先给 %1 加上写权限。",
    "The program folder %1 holds your settings and records, but the program cannot write "
    "there (Record/ is not writable).\n\n"
    "Use the data folder: go on in %2, with its own device list, settings and logs.\n"
    "Read only: run on the files in %1 and save nothing.\n"
    "Quit: for example to make %1 writable first."};
constexpr TTextPair UseDataFolderText = {"使用数据文件夹", "Use the data folder"};
constexpr TTextPair ReadOnlyText = {"只读运行", "Read only"};
constexpr TTextPair QuitText = {"退出", "Quit"};

QString Pick(const TTextPair& text, uint8_t language) {
    return QString::fromUtf8(PickText(text, language));
}

// The language of the settings that are left behind: the user reads the
// question in the language the program spoke there.
uint8_t LanguageIn(const std::string& folder) {
    TIniFile ini;
    (void)ini.Load(folder + "UserParaIni.ini");
    return uint8_t(ini.ReadInteger("Language", "Language", 0));
}
} // namespace

bool SettleProgramFolder(const TAskFolder& ask) {
    return SettleProgramFolder(StrandedProgramFolder(), ProgramFolder(), ask);
}

bool SettleProgramFolder(const std::string& stranded, const std::string& dataFolder,
                         const TAskFolder& ask) {
    if (stranded.empty())
        return true;
    const uint8_t language = LanguageIn(stranded);
    const QString text =
        Pick(QuestionText, language)
            .arg(QString::fromStdString(stranded), QString::fromStdString(dataFolder));
    switch (ask(text, language)) {
    case TFolderAnswer::UseDataFolder:
        SetProgramFolder(dataFolder);
        return true;
    case TFolderAnswer::ReadOnly:
        SetProgramFolder(stranded);
        SetReadOnlyRun(true);
        return true;
    case TFolderAnswer::Quit:
        break;
    }
    return false;
}

TFolderAnswer AskFolderInBox(const QString& text, uint8_t language) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ApplicationTitle), text);
    QPushButton* data = box.addButton(Pick(UseDataFolderText, language), QMessageBox::AcceptRole);
    QPushButton* readOnly = box.addButton(Pick(ReadOnlyText, language), QMessageBox::AcceptRole);
    QPushButton* quit = box.addButton(Pick(QuitText, language), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.setEscapeButton(quit);
    box.exec();
    if (box.clickedButton() == data)
        return TFolderAnswer::UseDataFolder;
    if (box.clickedButton() == readOnly)
        return TFolderAnswer::ReadOnly;
    return TFolderAnswer::Quit;
}
