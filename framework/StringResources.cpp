#include "framework/StringResources.h"

#include "resources/StringTable.h"

#include <QStringList>

CString AfxLoadString(UINT nID)
{
    const char *text = FindStringResource(nID);
    return text ? QString::fromUtf8(text) : CString();
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
