#include "automation/ArgumentFrame.h"

namespace vortan::automation {

namespace {

using enum ParamKind;

std::string_view TypeName(VARTYPE vt) {
    switch (vt & VT_TYPEMASK) {
    case VT_EMPTY:
        return "VT_EMPTY";
    case VT_NULL:
        return "VT_NULL";
    case VT_I2:
        return "VT_I2";
    case VT_I4:
        return "VT_I4";
    case VT_BSTR:
        return "VT_BSTR";
    case VT_DISPATCH:
        return "VT_DISPATCH";
    case VT_ERROR:
        return "VT_ERROR";
    case VT_BOOL:
        return "VT_BOOL";
    case VT_VARIANT:
        return "VT_VARIANT";
    case VT_UNKNOWN:
        return "VT_UNKNOWN";
    default:
        return "an unsupported type";
    }
}

} // namespace

HRESULT ArgumentFrame::Load(const MethodInfo& method, std::span<const VARIANT> args,
                            bool outputsGiven, std::string& error, UINT& argError) {
    m_method = &method;
    const std::size_t count = method.params.size();
    m_texts.assign(count, {});
    m_longs.assign(count, 0);
    m_shorts.assign(count, 0);
    m_bools.assign(count, VARIANT_FALSE);
    m_bstrs.clear();
    m_bstrs.resize(count);
    argError = 0;

    std::size_t expected = 0;
    for (const ParamInfo& param : method.params) {
        if (outputsGiven || IsInput(param.kind))
            ++expected;
    }
    if (args.size() != expected) {
        error = std::string(method.name) + " takes " + std::to_string(expected) + " argument" +
                (expected == 1 ? "" : "s") + ", " + std::to_string(args.size()) + " given";
        return DISP_E_BADPARAMCOUNT;
    }

    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const ParamInfo& param = method.params[i];
        const bool given = outputsGiven || IsInput(param.kind);
        if (!given) {
            if (param.kind == OutBstr)
                m_bstrs[i] = com::UniqueBstr::FromUtf8("");
            continue;
        }
        const VARIANT& arg = args[next++];
        const VARTYPE target = ValueType(param.kind);
        // Empty first: the platform's VariantChangeType clears its destination. Its source is
        // not const there, though it is only read.
        VARIANT converted{};
        const HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(&arg), 0, target);
        if (FAILED(hr)) {
            argError = static_cast<UINT>(next - 1);
            error = "argument " + std::to_string(next) + " (" + std::string(param.name) + ") of " +
                    std::string(method.name) + ": cannot convert " + std::string(TypeName(arg.vt)) +
                    " to " + std::string(TypeName(target));
            if (hr == DISP_E_OVERFLOW)
                error += " (out of range)";
            return hr == DISP_E_OVERFLOW || hr == DISP_E_BADVARTYPE ? hr : DISP_E_TYPEMISMATCH;
        }
        com::UniqueVariant owned(converted);
        switch (target) {
        case VT_BSTR:
            if (param.kind == OutBstr)
                m_bstrs[i] = com::UniqueBstr::Copy(owned.Get().bstrVal);
            else
                m_texts[i] = com::UniqueBstr::Copy(owned.Get().bstrVal).ToUtf8();
            break;
        case VT_I4:
            m_longs[i] = owned.Get().lVal;
            break;
        case VT_BOOL:
            m_bools[i] = owned.Get().boolVal;
            break;
        default:
            m_shorts[i] = owned.Get().iVal;
            break;
        }
    }
    return S_OK;
}

std::vector<com::UniqueVariant> ArgumentFrame::Outputs() const {
    std::vector<com::UniqueVariant> outputs;
    if (m_method == nullptr)
        return outputs;
    for (std::size_t i = 0; i < m_method->params.size(); ++i) {
        switch (m_method->params[i].kind) {
        case OutI2:
        case InOutI2:
            outputs.push_back(com::UniqueVariant::FromI2(m_shorts[i]));
            break;
        case OutI4:
            outputs.push_back(com::UniqueVariant::FromI4(m_longs[i]));
            break;
        case OutBstr: {
            const com::UniqueBstr& text = m_bstrs[i];
            outputs.push_back(com::UniqueVariant::FromUtf8(text.Get() ? text.ToUtf8() : ""));
            break;
        }
        default:
            break;
        }
    }
    return outputs;
}

} // namespace vortan::automation
