#pragma once

#include <QString>
#include <QStringList>

// The fixed content of the emoticon picker: the five sets in their order, the
// names of the four built-in sets, and how an item becomes an image URL and a
// forum tag. The program holds only names; images live on the forum's server.
namespace Catalogue {

inline constexpr int setCount = 5;
inline constexpr int personalSet = 4; // index of "Personale"

struct EmoticonSet
{
    QString caption;
    QString tooltip;
    QString folder; // empty for the personal set, whose items carry their own URL
};

// 0..4 in the fixed order: Iconario, Punto Inform., Quizzy, Yahoo, Personale.
// Any other index gives a set with empty texts.
const EmoticonSet &set(int index);

// The built-in names of set 0..3 in catalogue order; an empty list for the
// personal set (and for any index out of range). Never sort these: the
// position is the image number.
const QStringList &names(int index);

inline bool isBuiltIn(int index)
{
    return index >= 0 && index < personalSet;
}

// base + folder + decimal(listIndex + 1) + ".gif": list index 0 is image 1.gif.
QString imageUrl(const QString &emoticonBase, const QString &folder, int listIndex);

// "[img]" + url + "[/img]", with nothing around it; blanks, quotes, square
// and angle brackets and control characters in url are percent-encoded.
QString imageTag(const QString &url);

} // namespace Catalogue
