#include "config/CurrentText.h"

#include "config/UUserParaIni.h"

QString CurrentText(const TTextPair& text) {
    return QString::fromUtf8(PickText(text, UserPara.Language));
}
