#pragma once

// One call's arguments, held in the types the methods take.

#include <span>
#include <string>
#include <vector>

#include "automation/AutomationMethods.h"
#include "vortan/WinTypes.h"
#include "vortan/com/HResult.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"

namespace vortan::automation {

// Load coerces client values as the platform's dispatch does (VariantChangeType); the methods
// then read and write through the typed accessors, and Outputs() hands back what they wrote,
// in declaration order.
class ArgumentFrame final {
public:
    // `args` are in declaration order. With `outputsGiven` (a late-bound Invoke) every
    // parameter has a value, out-parameters included, whose initial value the method sees;
    // otherwise (a named call) only the inputs are given and outputs start as 0 or "".
    // Failures: DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW,
    // DISP_E_BADVARTYPE; `error` then says which argument and why, and `argError` is its
    // position.
    HRESULT Load(const MethodInfo& method, std::span<const VARIANT> args, bool outputsGiven,
                 std::string& error, UINT& argError);

    const char* Text(std::size_t index) const { return m_texts[index].c_str(); }
    LONG Long(std::size_t index) const { return m_longs[index]; }
    VARIANT_BOOL Bool(std::size_t index) const { return m_bools[index]; }
    SHORT* ShortOut(std::size_t index) { return &m_shorts[index]; }
    LONG* LongOut(std::size_t index) { return &m_longs[index]; }
    BSTR* BstrOut(std::size_t index) { return m_bstrs[index].OutParam(); }

    // The values of the out- and in/out parameters, in declaration order.
    std::vector<com::UniqueVariant> Outputs() const;

private:
    const MethodInfo* m_method = nullptr;
    std::vector<std::string> m_texts;
    std::vector<LONG> m_longs;
    std::vector<SHORT> m_shorts;
    std::vector<VARIANT_BOOL> m_bools;
    std::vector<com::UniqueBstr> m_bstrs;
};

} // namespace vortan::automation
