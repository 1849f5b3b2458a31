#include "automation/AutomationMethods.h"

#include "platform/text/Ascii.h"

namespace vortan::automation {

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

} // namespace vortan::automation
