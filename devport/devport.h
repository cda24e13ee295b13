// The HID access library's exports, as Monitor binds them by name. Plain C
// calling convention, so the names stay undecorated on 32-bit Windows too.
#pragma once

#include <windows.h>

#ifdef KESTRA_DEVPORT_BUILD
#define DEVPORT_API extern "C" __declspec(dllexport)
#else
#define DEVPORT_API extern "C" __declspec(dllimport)
#endif

DEVPORT_API int Set_VIDPID(int vid, int pid);
// Posts eventMessage (wParam code, lParam value) for every event report and
// presenceMessage (wParam 1 arrival, 0 removal) to `window`.
DEVPORT_API int Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage);
DEVPORT_API int Close_DevMonitor();
DEVPORT_API int Open_FeatureDevice();
DEVPORT_API int Close_FeatureDevice();
DEVPORT_API int SetFeature(unsigned char* buffer, int length);
DEVPORT_API int GetFeature(unsigned char* buffer, int length);
// Non-zero when the mouse is present and its report channel is open.
DEVPORT_API int Open_ReportDevice();
DEVPORT_API int Close_ReportDevice();
DEVPORT_API int WriteUSB(unsigned char* buffer, int length);
DEVPORT_API int ReadUSB(unsigned char* buffer, int length);
// Not called by Monitor's device link: a plain-text account of every HID
// interface and of the collections chosen for the mouse, for a user to
// send. Copies at most size - 1 characters and a terminating zero; returns
// the length the whole text needs, its zero included.
DEVPORT_API int Describe_Devices(char* buffer, int size);
