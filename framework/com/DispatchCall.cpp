#include "framework/com/DispatchCall.h"

#include <algorithm>
#include <vector>

namespace {

// A VARIANT of `type`, its value given by `set`.
template <class Set>
VARIANT Arg(VARTYPE type, Set set) {
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = type;
    set(arg);
    return arg;
}

}  // namespace

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

VARIANT BstrArg(BSTR text) {
    return Arg(VT_BSTR, [text](VARIANT& arg) { V_BSTR(&arg) = text; });
}

VARIANT UIntArg(ULONG value) {
    return Arg(VT_UI4, [value](VARIANT& arg) { V_UI4(&arg) = value; });
}

VARIANT IntArg(LONG value) {
    return Arg(VT_I4, [value](VARIANT& arg) { V_I4(&arg) = value; });
}

VARIANT ByteArg(BYTE value) {
    return Arg(VT_UI1, [value](VARIANT& arg) { V_UI1(&arg) = value; });
}
