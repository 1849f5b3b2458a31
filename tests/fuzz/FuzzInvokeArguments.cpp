// Invoke's arguments as a late-bound client sends them: any method, any count, any types,
// texts of any UTF-16 units (lone surrogates included), coerced as the dispatch does.
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzInput.h"
#include "automation/ArgumentFrame.h"
#include "vortan/com/SysString.h"

using namespace vortan::automation;

namespace {

// A value and whatever a by-reference argument points at; the texts it owns are freed with it.
struct Argument {
    VARIANT value;
    VARIANT target; // of VT_BYREF | VT_VARIANT, and the storage of every other by-reference type
    ~Argument() {
        if ((value.vt & VT_BYREF) == 0)
            VariantClear(&value);
        VariantClear(&target);
    }
};

void Fill(FuzzedDataProvider& input, VARIANT& v) {
    static constexpr VARTYPE kTypes[] = {VT_EMPTY, VT_NULL, VT_I2,   VT_I4,
                                         VT_BSTR,  VT_BOOL, VT_ERROR};
    v.vt = input.ConsumeBool() ? input.PickValueInArray(kTypes)
                               : (input.ConsumeIntegral<VARTYPE>() & ~VT_BYREF);
    if (v.vt == VT_BSTR) {
        std::vector<OLECHAR> units(input.ConsumeIntegralInRange<std::size_t>(0, 24));
        for (OLECHAR& unit : units)
            unit = input.ConsumeIntegral<char16_t>();
        v.bstrVal = SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
    } else if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) { // no object behind those: null
        v.lVal = input.ConsumeIntegral<LONG>();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto methods = Methods();
    const MethodInfo& method =
        methods[input.ConsumeIntegralInRange<std::size_t>(0, methods.size() - 1)];
    const bool outputsGiven = input.ConsumeBool();
    std::vector<Argument> owned(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    std::vector<VARIANT> args;
    for (Argument& arg : owned) {
        Fill(input, arg.target);
        arg.value = arg.target;
        arg.target = VARIANT{};
        if (input.ConsumeBool()) { // by reference: the value moves behind the pointer
            arg.target = arg.value;
            const bool toVariant = input.ConsumeBool() || arg.target.vt == VT_VARIANT;
            arg.value.vt = VT_BYREF | (toVariant ? VT_VARIANT : arg.target.vt);
            arg.value.byref =
                toVariant ? static_cast<void*>(&arg.target) : static_cast<void*>(&arg.target.lVal);
        }
        args.push_back(arg.value);
    }

    ArgumentFrame frame;
    std::string error;
    UINT argError = 0;
    const HRESULT hr = frame.Load(method, args, outputsGiven, error, argError);
    if (hr == S_OK) {
        std::size_t outputs = 0;
        for (const ParamInfo& param : method.params)
            outputs += IsOutput(param.kind) ? 1 : 0;
        vortan::fuzz::Check(frame.Outputs().size() == outputs);
    } else {
        vortan::fuzz::Check((hr == DISP_E_BADPARAMCOUNT || argError < args.size()) &&
                            !error.empty());
    }
    return 0;
}
