#include "framework/com/DispatchCall.h"

#include <algorithm>
#include <vector>

HRESULT CallDispatchMethod(IDispatch* target, DISPID id, VARIANT* args, UINT count, VARIANT* result) {
    if (!target)
        return E_POINTER;
    std::vector<VARIANT> reversed(args, args + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = count;
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}
