#include "app/AutomationMethods.h"

#include "platform/text/Ascii.h"

#include <utility>

namespace vortan::app {

namespace {

using enum ParamKind;

const std::vector<MethodInfo>& Table() {
    static const std::vector<MethodInfo> kMethods{
        {1,
         "ReadFile",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "localDirectory"},
          {Bstr, "fileList"},
          {OutI2, "result"}}},
        {2,
         "WriteFile",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "unused"},
          {Bstr, "fileList"},
          {OutI2, "result"}}},
        {3,
         "Format",
         {{InOutI2, "selector"},
          {Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {OutI2, "result"}}},
        {4,
         "ShowFileSelectDialog",
         {{Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "initialDirectory"},
          {I4, "openFileFlags"},
          {I4, "controlFlags"},
          {OutBstr, "chosenFiles"},
          {OutI2, "dialogResult"}}},
        {5,
         "ShowDirectorySelectDialog",
         {{Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "text"},
          {OutBstr, "chosenDirectory"},
          {OutI2, "dialogResult"}}},
        {6,
         "GetLastErrorCode",
         {{OutI4, "code"}, {OutI2, "value1"}, {OutI2, "value2"}, {OutI2, "value3"}}},
        {7, "CloseServer", {}},
        {8,
         "RemoveFiles",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "fileList"},
          {OutI2, "result"}}},
        {9,
         "Format2",
         {{InOutI2, "selector"},
          {Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bool, "option"},
          {OutI2, "result"}}},
        {10,
         "WriteFile2",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "fileList"},
          {Bool, "option"},
          {OutI2, "result"}}},
        {11,
         "ReadFile2",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "localDirectory"},
          {Bstr, "fileList"},
          {Bool, "option"},
          {OutI2, "result"}}},
        {12,
         "RemoveFiles2",
         {{Bstr, "controllerName"},
          {Bstr, "profileFile"},
          {Bstr, "profileSection"},
          {Bstr, "fileList"},
          {Bool, "option"},
          {OutI2, "result"}}},
    };
    return kMethods;
}

VARTYPE ValueType(ParamKind kind) {
    switch (kind) {
    case Bstr:
    case OutBstr:
        return VT_BSTR;
    case I4:
    case OutI4:
        return VT_I4;
    case Bool:
        return VT_BOOL;
    case OutI2:
    case InOutI2:
        return VT_I2;
    }
    return VT_EMPTY;
}

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

void AppendArg(std::string& xml, std::string_view name, std::string_view type,
               std::string_view direction) {
    xml += "      <arg name=\"";
    xml += name;
    xml += "\" type=\"";
    xml += type;
    xml += "\" direction=\"";
    xml += direction;
    xml += "\"/>\n";
}

} // namespace

std::span<const MethodInfo> Methods() {
    return Table();
}

const MethodInfo* FindMethod(DISPID dispid) {
    for (const MethodInfo& method : Table()) {
        if (method.dispid == dispid)
            return &method;
    }
    return nullptr;
}

const MethodInfo* FindMethod(std::string_view name) {
    for (const MethodInfo& method : Table()) {
        if (text::EqualsNoCase(method.name, name))
            return &method;
    }
    return nullptr;
}

bool IsInput(ParamKind kind) {
    return kind == Bstr || kind == I4 || kind == Bool || kind == InOutI2;
}

bool IsOutput(ParamKind kind) {
    return kind == OutI2 || kind == InOutI2 || kind == OutI4 || kind == OutBstr;
}

std::string_view DBusType(ParamKind kind) {
    switch (ValueType(kind)) {
    case VT_BSTR:
        return "s";
    case VT_I4:
        return "i";
    case VT_BOOL:
        return "b";
    default:
        return "n";
    }
}

std::string InputSignature(const MethodInfo& method) {
    std::string signature;
    for (const ParamInfo& param : method.params) {
        if (IsInput(param.kind))
            signature += DBusType(param.kind);
    }
    return signature;
}

std::string OutputSignature(const MethodInfo& method) {
    std::string signature = "i";
    for (const ParamInfo& param : method.params) {
        if (IsOutput(param.kind))
            signature += DBusType(param.kind);
    }
    return signature;
}

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
        VARIANT converted;
        const HRESULT hr = VariantChangeType(&converted, &arg, 0, target);
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

std::string ApplicationInterfaceXml() {
    std::string xml = "  <interface name=\"";
    xml += kApplicationInterface;
    xml += "\">\n";
    for (const MethodInfo& method : Table()) {
        xml += "    <method name=\"";
        xml += method.name;
        xml += "\">\n";
        for (const ParamInfo& param : method.params) {
            if (IsInput(param.kind))
                AppendArg(xml, param.name, DBusType(param.kind), "in");
        }
        AppendArg(xml, "returnCode", "i", "out");
        for (const ParamInfo& param : method.params) {
            if (IsOutput(param.kind))
                AppendArg(xml, param.name, DBusType(param.kind), "out");
        }
        xml += "    </method>\n";
    }
    xml += "    <method name=\"GetIDsOfNames\">\n";
    AppendArg(xml, "names", "as", "in");
    AppendArg(xml, "dispids", "ai", "out");
    xml += "    </method>\n";
    xml += "    <method name=\"Invoke\">\n";
    AppendArg(xml, "dispid", "i", "in");
    AppendArg(xml, "args", "av", "in");
    AppendArg(xml, "returnCode", "i", "out");
    AppendArg(xml, "outs", "av", "out");
    xml += "    </method>\n";
    xml += "    <method name=\"Release\"/>\n";
    xml += "    <signal name=\"Progress\">\n"
           "      <arg name=\"caption\" type=\"s\"/>\n"
           "      <arg name=\"status\" type=\"s\"/>\n"
           "      <arg name=\"percent\" type=\"i\"/>\n"
           "    </signal>\n";
    xml += "  </interface>\n";
    return xml;
}

std::string ClassFactoryInterfaceXml() {
    std::string xml = "  <interface name=\"";
    xml += kClassFactoryInterface;
    xml += "\">\n    <method name=\"CreateInstance\">\n";
    AppendArg(xml, "object", "o", "out");
    xml += "    </method>\n  </interface>\n";
    return xml;
}

std::string_view DispatchErrorName(HRESULT hr) {
    switch (hr) {
    case DISP_E_BADPARAMCOUNT:
        return "ZEPH.VORTAN.Error.BadParamCount";
    case DISP_E_TYPEMISMATCH:
        return "ZEPH.VORTAN.Error.TypeMismatch";
    case DISP_E_OVERFLOW:
        return "ZEPH.VORTAN.Error.Overflow";
    case DISP_E_BADVARTYPE:
        return "ZEPH.VORTAN.Error.BadVarType";
    case DISP_E_MEMBERNOTFOUND:
        return "ZEPH.VORTAN.Error.MemberNotFound";
    case DISP_E_UNKNOWNNAME:
        return "ZEPH.VORTAN.Error.UnknownName";
    default:
        return "ZEPH.VORTAN.Error.Failed";
    }
}

} // namespace vortan::app
