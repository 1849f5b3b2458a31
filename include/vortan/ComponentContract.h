#pragma once

// The contract between VORTAN and the two components that do the work on a controller board.
// A board owner writes one plug-in (a shared library) that provides both classes:
//
//  1. Implement vortan::IController and vortan::IFlashHandling (IController.h,
//     IFlashHandling.h) on objects that also answer IUnknown, IDispatch and
//     IConnectionPointContainer (IDispatch's own methods have default answers:
//     ComponentDispatch.h). Their events go out through a vortan::com::ConnectionPoint
//     per object; join each to a static vortan::com::BroadcastGroup of its class and fire on
//     the group, so the events reach every sink of the process (ContractIds.h).
//  2. Define DllGetClassObject (declared below, exported by VORTAN_PLUGIN_EXPORT) so that it
//     hands out an IClassFactory for CLSID_ControllerAccess and CLSID_FlashHandling, and
//     CLASS_E_CLASSNOTAVAILABLE for anything else; a static vortan::com::StaticClassFactory
//     per class, built on the class's creation function, is all it takes.
//  3. Register the library's path under both CLSIDs in the class registry (an INI file, by
//     default ~/.config/vortan/classes.ini; `vortan-board register --plugin PATH` writes it).
//
// VORTAN creates each component with CoCreateInstance(CLSCTX_ALL, IID_IUnknown), OleRun and
// QueryInterface and calls everything on one thread. It handles events synchronously, so its
// handlers may call the components again while a component method is still running (e.g.
// Disconnect after the end event of the last file). No exception may leave any method. Work
// that answers later (IController::Connect) goes to a message-only window of the component
// (vortan/win/MessageWindow.h) and runs from VORTAN's message loop.
// Link against the runtime library only (vortan::runtime, libvortan-runtime.so): it holds
// everything these headers declare, and VORTAN uses the same one.

#include "vortan/ContractIds.h"
#include "vortan/ContractRecords.h"
#include "vortan/IController.h"
#include "vortan/IFlashHandling.h"
#include "vortan/com/BroadcastGroup.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/ConnectionPoint.h"
#include "vortan/com/IClassFactory.h"
#include "vortan/com/StaticClassFactory.h"
#include "vortan/com/SysString.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"
#include "vortan/com/Variant.h"
#include "vortan/win/MessageWindow.h"

// Exported from the plug-in even when it builds with hidden visibility (on Windows: from the
// DLL; a .def file listing the exports does as well).
#if defined(_WIN32)
#define VORTAN_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#elif defined(__GNUC__)
#define VORTAN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define VORTAN_PLUGIN_EXPORT extern "C"
#endif

// The plug-in's entry point, looked up by name when the plug-in is loaded. It hands out the
// class object (IClassFactory) of `clsid`, or answers CLASS_E_CLASSNOTAVAILABLE.
VORTAN_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
