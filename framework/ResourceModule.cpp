#include "framework/ResourceModule.h"

namespace {

const CResourceModule kNoResources;
const CResourceModule *g_pModule = nullptr;

} // namespace

void AfxSetResourceModule(const CResourceModule *pModule) { g_pModule = pModule; }

const CResourceModule &AfxGetResourceModule() { return g_pModule ? *g_pModule : kNoResources; }

QIcon AfxLoadIcon(UINT nID)
{
    const CResourceModule &module = AfxGetResourceModule();
    return module.loadIcon ? module.loadIcon(nID) : QIcon();
}
