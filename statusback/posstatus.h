/* posstatus: the status of an LT-77 printer for point-of-sale applications.
 *
 * Open the printer by its queue name, then read its status once
 * (BidiGetStatus) or register callbacks, which the library calls on a thread
 * of its own: the status callback with each new status code, the card-reader
 * callback with each track a card reader delivered. Cancel, then close.
 * One opened printer per process; call the functions from one thread or
 * serialise them. Plain C, so that any application can declare them. */
#ifndef LT77_POSSTATUS_H
#define LT77_POSSTATUS_H

#include <stdint.h>

#if defined(_WIN32)
#define POSSTATUS_CALL __stdcall
typedef wchar_t POSSTATUS_WCHAR;
#else
#define POSSTATUS_CALL
#ifndef __cplusplus
#include <uchar.h>
#endif
typedef char16_t POSSTATUS_WCHAR;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes: normal, offline, or the sum of the conditions the printer
 * reports (0x08 cover opened, 0x02 paper empty, 0x20 auto-cutter error ...);
 * 0x400 from BidiGetStatus when no port monitor publishes the printer's
 * status record. */
#define PRN_STATUS_NORMAL 0x0000u
#define PRN_STATUS_OFFLINE 0x0001u

/* Called with every new status code. */
typedef void(POSSTATUS_CALL* BIDI_STATUS_CALLBACK)(uint32_t status);
/* Called with a card-reader track (1, 2 or 3); the bytes are the library's
 * and valid only during the call. */
typedef void(POSSTATUS_CALL* BIDI_MSR_CALLBACK)(uint8_t* data, uint32_t length, uint32_t track);

/* 1 opened; 0 when the name is no local printer or cannot be converted. */
int32_t POSSTATUS_CALL BidiOpenMonPrinter(const char* printerName);
int32_t POSSTATUS_CALL BidiOpenMonPrinterW(const POSSTATUS_WCHAR* printerName);
/* Cancels the callbacks; 1. */
int32_t POSSTATUS_CALL BidiCloseMonPrinter(void);
/* 1 registered (either callback may be null); 0 when no printer is opened. */
int32_t POSSTATUS_CALL BidiSetCallBackFunction(BIDI_STATUS_CALLBACK status, BIDI_MSR_CALLBACK msr);
int32_t POSSTATUS_CALL BidiSetStatusBackFunction(BIDI_STATUS_CALLBACK status);
/* Returns once no callback can come any more, unless called from a
 * callback; 1. */
int32_t POSSTATUS_CALL BidiCancelCallBackFunction(void);
int32_t POSSTATUS_CALL BidiCancelStatusBack(void);
/* The status code, or 0x400. */
uint32_t POSSTATUS_CALL BidiGetStatus(void);

#ifdef __cplusplus
}
#endif

#endif
