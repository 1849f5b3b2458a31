#pragma once

// Identifiers of the component contract: classes, interfaces, event interfaces and the
// DISPIDs of the events. Plug-ins register their classes under these CLSIDs in the class
// registry (classes.ini, section [CLSID]).

#include "vortan/com/Guid.h"

namespace vortan {

// The controller access component: holds the connection to one controller.
inline constexpr CLSID CLSID_ControllerAccess{
    0x5CE68222, 0xDDD2, 0x11D2, {0x97, 0x7D, 0x00, 0x10, 0x4B, 0x49, 0xCB, 0xE6}};
inline constexpr IID IID_IController{
    0x5CE68221, 0xDDD2, 0x11D2, {0x97, 0x7D, 0x00, 0x10, 0x4B, 0x49, 0xCB, 0xE6}};
// The outgoing dispinterface _IControllerEvents.
inline constexpr IID DIID_IControllerEvents{
    0x5CE68223, 0xDDD2, 0x11D2, {0x97, 0x7D, 0x00, 0x10, 0x4B, 0x49, 0xCB, 0xE6}};

// The flash handling component: copies, removes and formats files in the controller's flash
// file store through an IController it is handed.
inline constexpr CLSID CLSID_FlashHandling{
    0x01000039, 0x2409, 0x43F1, {0x8B, 0xAC, 0x7D, 0x06, 0x43, 0xB6, 0x15, 0x9E}};
inline constexpr IID IID_IFlashHandling{
    0x304F8119, 0x5173, 0x41EB, {0xB6, 0x95, 0x45, 0xB3, 0xEF, 0xC1, 0x63, 0x9D}};
// The outgoing dispinterface _IFlashHandlingEvents.
inline constexpr IID DIID_IFlashHandlingEvents{
    0x39D58089, 0x5A9C, 0x4673, {0xB9, 0xFA, 0xC5, 0x80, 0x25, 0x9C, 0xBE, 0x94}};

// The VORTAN automation object itself (for clients; no type library).
inline constexpr CLSID CLSID_VortanApplication{
    0x0100003B, 0x2409, 0x43F1, {0x8B, 0xAC, 0x7D, 0x06, 0x43, 0xB6, 0x15, 0x9E}};
inline constexpr IID DIID_IVortanApplication{
    0xC886DC45, 0x63DC, 0x11D6, {0xA4, 0x0D, 0x00, 0x00, 0xCB, 0x56, 0x3D, 0x02}};
inline constexpr const char* kVortanApplicationProgId = "ZEPH.VORTAN.Application.7";

// _IControllerEvents: no arguments. VORTAN takes any of the four answer events as the
// component's answer to IController::Connect and then asks IsConnected, so a component must
// fire exactly one of them for every Connect (later, from its message loop, is fine; the
// program waits without limit). All other DISPIDs from 3 to 20 are accepted and ignored.
inline constexpr DISPID DISPID_CONTROLLER_CONNECTED = 1;       // connection is open
inline constexpr DISPID DISPID_CONTROLLER_DISCONNECTED = 2;    // closed, or never opened
inline constexpr DISPID DISPID_CONTROLLER_CONNECT_FAILED = 16; // the controller refused
inline constexpr DISPID DISPID_CONTROLLER_CONNECTION_LOST = 17;
inline constexpr DISPID DISPID_CONTROLLER_FIRST = 1;
inline constexpr DISPID DISPID_CONTROLLER_LAST = 20;

// _IFlashHandlingEvents, DISPID 1 to 17, all IDispatch::Invoke calls with DISPATCH_METHOD
// and IID_NULL. Arguments sit in DISPPARAMS::rgvarg in reverse order: rgvarg[0] is the LAST
// declared argument. VORTAN reads these (anything else it ignores):
//
//   DISPID  event                 rgvarg[0]            rgvarg[1]          rgvarg[2]
//   ------  --------------------  -------------------  -----------------  ----------------
//    1      format begins         VT_I2 number (*)     -                  -
//    2      format ends           VT_I2 value          -                  -
//    3      format progress       VT_I2 value          VT_I4 total        VT_I4 done
//    4      write item begins     -                    -                  -
//    5      write item ends       -                    -                  -
//    6      write byte progress   VT_I4 value          VT_I4 bytes done   -
//    7      read item begins      -                    -                  -
//    8      read item ends        -                    -                  -
//    9      read byte progress    VT_I4 value          VT_I4 bytes done   -
//   10-13   failure               -                    -                  -
//   14      remove run begins     -                    -                  -
//   15      one file removed      -                    -                  -
//   16      failure               -                    -                  -
//   17      remove progress       VT_I4 item size      VT_I4 part done    -
//
// (*) the number becomes part of the name of the mutex VORTAN holds while a format runs.
// 16-bit values are taken as stored (low 16 bits of the VARIANT's value); the 32-bit ones
// are converted with VariantChangeType(VT_I4), so VT_I2 or a numeric VT_BSTR also work.
// Progress of a format is done * 100 / total; a total below 1 is not shown.
//
// Each operation must end with its end event (2, 5, 8 or 15 for the last file) or a failure
// event: VORTAN advances and finishes its run on them. The events of an operation must reach
// every sink advised on ANY instance of the class in the process (VORTAN subscribes on one
// instance and runs operations on another): see vortan::com::BroadcastGroup.
// VORTAN's engine treats 4-6 and 7-9 alike; the split into write and read is this system's
// convention, followed by its simulated board.
inline constexpr DISPID DISPID_FLASH_FORMAT_BEGIN = 1;
inline constexpr DISPID DISPID_FLASH_FORMAT_END = 2;
inline constexpr DISPID DISPID_FLASH_FORMAT_PROGRESS = 3;
inline constexpr DISPID DISPID_FLASH_WRITE_BEGIN = 4;
inline constexpr DISPID DISPID_FLASH_WRITE_END = 5;
inline constexpr DISPID DISPID_FLASH_WRITE_PROGRESS = 6;
inline constexpr DISPID DISPID_FLASH_READ_BEGIN = 7;
inline constexpr DISPID DISPID_FLASH_READ_END = 8;
inline constexpr DISPID DISPID_FLASH_READ_PROGRESS = 9;
inline constexpr DISPID DISPID_FLASH_FAILURE_10 = 10;
inline constexpr DISPID DISPID_FLASH_FAILURE_11 = 11;
inline constexpr DISPID DISPID_FLASH_FAILURE_12 = 12;
inline constexpr DISPID DISPID_FLASH_FAILURE_13 = 13;
inline constexpr DISPID DISPID_FLASH_REMOVE_BEGIN = 14;
inline constexpr DISPID DISPID_FLASH_REMOVE_FILE_DONE = 15;
inline constexpr DISPID DISPID_FLASH_FAILURE_16 = 16;
inline constexpr DISPID DISPID_FLASH_REMOVE_PROGRESS = 17;
inline constexpr DISPID DISPID_FLASH_FIRST = 1;
inline constexpr DISPID DISPID_FLASH_LAST = 17;

} // namespace vortan
