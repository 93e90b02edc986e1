#include "win32/activation.h"

#include <windows.h>

namespace orvane {

namespace {

HANDLE manifestContext() {
    static HANDLE context = [] {
        ACTCTXA actctx = {};
        actctx.cbSize = sizeof actctx;
        actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
        actctx.hModule = GetModuleHandleA(nullptr);
        actctx.lpResourceName = MAKEINTRESOURCEA(1);
        return CreateActCtxA(&actctx);
    }();
    return context;
}

}  // namespace

ActivationScope::ActivationScope() {
    HANDLE context = manifestContext();
    ULONG_PTR cookie = 0;
    if (context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie)) {
        cookie_ = cookie;
        active_ = true;
    }
}

ActivationScope::~ActivationScope() {
    if (active_) DeactivateActCtx(0, static_cast<ULONG_PTR>(cookie_));
}

}  // namespace orvane
