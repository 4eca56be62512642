#include "framework/StringResources.h"

#include "framework/ResourceModule.h"

#include <QStringList>

#include <algorithm>

CString AfxLoadString(UINT nID)
{
    const std::span<const StringResource> table = AfxGetResourceModule().strings;
    auto it =
        std::lower_bound(table.begin(), table.end(), nID,
                         [](const StringResource &entry, UINT key) { return entry.nID < key; });
    return it != table.end() && it->nID == nID ? QString::fromUtf8(it->text) : CString();
}

BOOL AfxExtractSubString(CString &rString, const CString &fullString, int iSubString, QChar chSep)
{
    rString.clear();
    if (iSubString < 0)
        return FALSE;
    const QStringList fields = fullString.split(chSep);
    if (iSubString >= fields.size())
        return FALSE;
    rString = fields.at(iSubString);
    return TRUE;
}
