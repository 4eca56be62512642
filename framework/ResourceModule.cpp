#include "framework/ResourceModule.h"

#include <algorithm>

namespace {

const CResourceModule kNoResources;
const CResourceModule *g_pModule = nullptr;

} // namespace

void AfxSetResourceModule(const CResourceModule *pModule) { g_pModule = pModule; }

const CResourceModule &AfxGetResourceModule() { return g_pModule ? *g_pModule : kNoResources; }

CString AfxLoadString(UINT nID)
{
    const auto table = AfxGetResourceModule().strings;
    auto it = std::ranges::lower_bound(table, nID, {}, &StringResource::nID);
    return it != table.end() && it->nID == nID ? QString::fromUtf8(it->text) : CString();
}

QIcon AfxLoadIcon(UINT nID)
{
    const CResourceModule &module = AfxGetResourceModule();
    return module.loadIcon ? module.loadIcon(nID) : QIcon();
}
