#include "automation/dbus/BusContract.h"

namespace vortan::automation {

namespace {

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

std::string BusNameFromProgId(std::string_view progId) {
    std::string name;
    bool elementStart = true;
    for (const char c : progId) {
        if (elementStart && c >= '0' && c <= '9')
            name += '_';
        name += c;
        elementStart = c == '.';
    }
    return name;
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

std::string ApplicationInterfaceXml() {
    std::string xml = "  <interface name=\"";
    xml += kApplicationInterface;
    xml += "\">\n";
    for (const MethodInfo& method : Methods()) {
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

} // namespace vortan::automation
