#pragma once
// Calling a method of a dispatch interface from C++.
#include "framework/com/ComUtil.h"

// Calls method `id` with the arguments in call order (they are passed to Invoke in reverse,
// as dispatch expects). Out parameters are VT_BYREF variants pointing at the caller's storage.
HRESULT CallDispatchMethod(IDispatch* target, DISPID id, VARIANT* args, UINT count, VARIANT* result);

// Arguments by value; a BSTR stays its owner's.
VARIANT BstrArg(BSTR text);
VARIANT UIntArg(ULONG value);
VARIANT IntArg(LONG value);
VARIANT ByteArg(BYTE value);
