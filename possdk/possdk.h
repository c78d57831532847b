/* possdk: printing on an LT-77 queue for point-of-sale applications.
 *
 * Connect to a queue, then print documents of pages: text in the printer's
 * resident fonts (device fonts chosen by face name, which the driver sends
 * as printer commands), barcode and control-code fonts, text in scalable
 * fonts, and BMP files. Positions and sizes are in the printer's dots, font
 * sizes in points. WritePrintData sends raw bytes as a job of its own.
 * One connection per process; call the functions from one thread.
 * Errors are shown in message boxes and reported by the results.
 *
 *   ConnectPrinter -> Start_Doc -> Start_Page -> PrintDeviceFont,
 *   PrintTrueFont, PrintBitmap ... -> End_Page -> ... -> End_Doc ->
 *   DisconnectPrinter
 *
 * Plain C, so that any application can declare them. */
#ifndef LT77_POSSDK_H
#define LT77_POSSDK_H

#include <stdint.h>

#if defined(_WIN32)
#define POSSDK_CALL __stdcall
typedef wchar_t POSSDK_WCHAR;
#else
#define POSSDK_CALL
#ifndef __cplusplus
#include <uchar.h>
#endif
typedef char16_t POSSDK_WCHAR;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Rotation codes of PrintTrueFont: clockwise. */
#define POSSDK_ROTATE_0 0
#define POSSDK_ROTATE_90 1
#define POSSDK_ROTATE_180 2
#define POSSDK_ROTATE_270 3

/* 1 connected; 0 when the queue cannot be opened, its driver is not one
 * this library prints to, or no device context can be made. */
int32_t POSSDK_CALL ConnectPrinter(const char* printerName);
int32_t POSSDK_CALL ConnectPrinterW(const POSSDK_WCHAR* printerName);
void POSSDK_CALL DisconnectPrinter(void);

/* 1 started; 0 failed. */
int32_t POSSDK_CALL Start_Doc(const char* documentName);
int32_t POSSDK_CALL Start_DocW(const POSSDK_WCHAR* documentName);
/* The system's end-of-document result: greater than 0 on success. */
int32_t POSSDK_CALL End_Doc(void);
/* 1 started; 0 failed. */
int32_t POSSDK_CALL Start_Page(void);
/* The system's end-of-page result: greater than 0 on success. */
int32_t POSSDK_CALL End_Page(void);

/* The line height in dots, to advance y by; 0 when nothing was printed.
 * Narrow text is in the code page of the face's character set (949 for a
 * Korean face, 936 and 950 for the Chinese ones, 932 for a Japanese one,
 * else the system's). */
int32_t POSSDK_CALL PrintDeviceFont(int32_t x, int32_t y, const char* faceName, int32_t sizePoints, const char* text);
int32_t POSSDK_CALL PrintDeviceFontW(int32_t x, int32_t y, const POSSDK_WCHAR* faceName, int32_t sizePoints,
                                     const POSSDK_WCHAR* text);
/* Bold, italic and underline: not 0 = on. Rotation: POSSDK_ROTATE_*. */
int32_t POSSDK_CALL PrintTrueFont(int32_t x, int32_t y, const char* faceName, int32_t sizePoints, const char* text,
                                  int32_t bold, int32_t rotation, int32_t italic, int32_t underline);
int32_t POSSDK_CALL PrintTrueFontW(int32_t x, int32_t y, const POSSDK_WCHAR* faceName, int32_t sizePoints,
                                   const POSSDK_WCHAR* text, int32_t bold, int32_t rotation, int32_t italic,
                                   int32_t underline);

/* Draws an uncompressed BMP file (1, 4, 8, 16, 24 or 32 bits) 1:1 with its
 * top left at (x, y). The bitmap's height in pixels; 0 when the file is
 * missing, empty, not such a BMP, holds less than its headers describe, or
 * cannot be drawn. */
int32_t POSSDK_CALL PrintBitmap(int32_t x, int32_t y, const char* path);
int32_t POSSDK_CALL PrintBitmapW(int32_t x, int32_t y, const POSSDK_WCHAR* path);

/* Sends `length` bytes as one raw job "RAW DATA". The bytes written; 0 when
 * the queue's driver is refused or the document cannot be started;
 * 0xFFFFFFFF for no data, a length of 0 or less, or a queue that cannot be
 * opened. */
uint32_t POSSDK_CALL WritePrintData(const char* printerName, const void* data, int32_t length);
uint32_t POSSDK_CALL WritePrintDataW(const POSSDK_WCHAR* printerName, const void* data, int32_t length);

#ifdef __cplusplus
}
#endif

#endif
