#include "ServiceFileNames.h"

#include "FileUtility.h"

namespace Lumbra {

bool isValidFileName(const OString& name)
{
    if (name.isEmpty())
        return false;
    for (int i = 0; i < name.length(); ++i) {
        const char16_t unit = name.charAt(i);
        if (unit == u':' || unit == u'|')
            return false;
    }
    return true;
}

Str16 resolveFileName(const Str16& applicationDirectory, const Str16& name)
{
    Str16 normalised = FileUtility::convertSeparators(name);
    const Str16 doubled("//");
    const Str16 single("/");
    // replaceAll works in one pass, so "///" needs a second round.
    while (normalised.indexOf(doubled) >= 0)
        normalised.replaceAll(doubled, single);
    return FileUtility::normalisedPath(FileUtility::join(applicationDirectory, normalised));
}

bool confineFileName(const Str16& applicationDirectory, const Str16& name, Str16& path)
{
    for (unsigned short unit : name)
        if (unit == 0)
            return false;
    path = resolveFileName(applicationDirectory, name);
    return FileUtility::isWithin(applicationDirectory, path);
}

} // namespace Lumbra
