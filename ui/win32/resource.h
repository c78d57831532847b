// Resource names and control identifiers of uilt77's dialog templates.
// Every language version of a template uses the same name and the same
// identifiers; only the texts differ. This header is read by windres as
// well as by the C++ compiler, so it holds nothing but #define lines.
#pragma once

// Template names (string resource names; the C++ side adds the L prefix
// with L"" LT77_TPL_...).
#define LT77_TPL_LAYOUT "Layout"
#define LT77_TPL_DOCSETTINGS "Document Settings"
#define LT77_TPL_NVIMAGE "NV Image"
#define LT77_TPL_BARCODE "Barcode"
#define LT77_TPL_DITHERING "Dithering"
#define LT77_TPL_UTILITY "Utility"
#define LT77_TPL_LANGUAGE "Language"
#define LT77_TPL_VERSION "Version"
#define LT77_TPL_BARCODE1D "Barcode Setting"
#define LT77_TPL_BARCODE2D "2D-Code Setting"
#define LT77_TPL_USERPAPER "User Defined Paper Size"

// The Dithering page's sample picture (96 x 102, 24 bits per pixel).
#define IDB_DITHER_SAMPLE 200

// Layout page
#define IDC_LAYOUT_PAPER_SIZE 1001
#define IDC_LAYOUT_PAPER_MORE 1002
#define IDC_LAYOUT_PAPER_TYPE 1003
#define IDC_LAYOUT_COPIES 1004
#define IDC_LAYOUT_COPIES_SPIN 1005
#define IDC_LAYOUT_PORTRAIT 1006
#define IDC_LAYOUT_LANDSCAPE 1007
#define IDC_LAYOUT_ROTATE_0 1008
#define IDC_LAYOUT_ROTATE_90 1009
#define IDC_LAYOUT_ROTATE_180 1010
#define IDC_LAYOUT_ROTATE_270 1011
#define IDC_LAYOUT_REDUCTION 1012
#define IDC_LAYOUT_RATE 1013
#define IDC_LAYOUT_RATE_EDIT 1014
#define IDC_LAYOUT_BARCODE_KEEP 1015
#define IDC_LAYOUT_BARCODE_REDUCE 1016
#define IDC_LAYOUT_TOP_CROP 1017
#define IDC_LAYOUT_TOP_CROP_EDIT 1018
#define IDC_LAYOUT_TOP_CROP_SPIN 1019
#define IDC_LAYOUT_BOTTOM_CROP 1020
#define IDC_LAYOUT_BOTTOM_CROP_EDIT 1021
#define IDC_LAYOUT_BOTTOM_CROP_SPIN 1022
#define IDC_LAYOUT_TEXT_RECEIPT 1090
#define IDC_LAYOUT_TEXT_TICKET 1091
#define IDC_LAYOUT_TEXT_USER_DEFINED 1092

// Document Settings page
#define IDC_DOC_START_DOC 1101
#define IDC_DOC_START_PAGE 1102
#define IDC_DOC_END_PAGE 1103
#define IDC_DOC_END_DOC 1104
// Drawer n (0 = before #1, 1 = before #2, 2 = after #1, 3 = after #2):
// box IDC_DOC_DRAWER + 4n, edit + 1, spin + 2, unit label + 3.
#define IDC_DOC_DRAWER 1110
#define IDC_DOC_LINE_FEEDS 1130
#define IDC_DOC_LINE_FEEDS_SPIN 1131
#define IDC_DOC_CUT_NONE 1132
#define IDC_DOC_CUT_PAGE_NONE_JOB_PARTIAL 1133
#define IDC_DOC_CUT_PARTIAL 1134

// NV Image page
#define IDC_NV_START_DOC 1201
#define IDC_NV_START_PAGE 1202
#define IDC_NV_END_PAGE 1203
#define IDC_NV_END_DOC 1204
#define IDC_NV_CMD_GS 1205
#define IDC_NV_CMD_FS 1206
#define IDC_NV_TEXT_NONE 1290
#define IDC_NV_TEXT_IMAGE 1291

// Barcode page
#define IDC_BC_1D_FONT 1301
#define IDC_BC_1D_TYPE 1302
#define IDC_BC_1D_PROPERTIES 1303
#define IDC_BC_2D_FONT 1304
#define IDC_BC_2D_TYPE 1305
#define IDC_BC_2D_PROPERTIES 1306

// Dithering page
#define IDC_DITHER_MONO 1401
#define IDC_DITHER_GREY 1402
#define IDC_DITHER_NONE 1403
#define IDC_DITHER_DIFFUSION 1404
#define IDC_DITHER_ORDERED 1405
#define IDC_DITHER_4X4 1406
#define IDC_DITHER_8X8 1407
#define IDC_DITHER_BRIGHTNESS 1408
#define IDC_DITHER_SAMPLE 1409

// Utility page
#define IDC_UTIL_POS_UTILITY 1501
#define IDC_UTIL_FONT_EDITOR 1502
#define IDC_UTIL_JOURNAL 1503
#define IDC_UTIL_JOURNAL_VIEWER 1504
#define IDC_UTIL_TEXT_KEY 1505
#define IDC_UTIL_TEXT_KEY_SETUP 1506
#define IDC_UTIL_PREVIEW 1507
#define IDC_UTIL_IMAGE_MACRO 1508

// Language page; the language names are the statics IDC_LANG_TEXT + n in
// the order English, Deutsch, Français, Español, Italiano, 简体中文, 繁體中文,
// Magyar, 日本語, 한국어, Polski, русский.
#define IDC_LANG_LIST 1601
#define IDC_LANG_TEXT 1610

// Version page
#define IDC_VERSION_TEXT 1701
#define IDC_VERSION_LEGAL 1702

// "Barcode Setting" dialog
#define IDC_BC1_WIDTH 1801
#define IDC_BC1_WIDTH_SPIN 1802
#define IDC_BC1_HEIGHT 1803
#define IDC_BC1_HEIGHT_SPIN 1804
#define IDC_BC1_HRI_POSITION 1805
#define IDC_BC1_FONT_A 1806
#define IDC_BC1_FONT_B 1807
// HRI position names: IDC_BC1_TEXT_HRI + 0 … 3 ("None" … "Top and Bottom").
#define IDC_BC1_TEXT_HRI 1890

// "2D-Code Setting" dialog
#define IDC_BC2_PDF_COLUMNS 1901
#define IDC_BC2_PDF_COLUMNS_SPIN 1902
#define IDC_BC2_PDF_STEP 1903
#define IDC_BC2_PDF_STEP_SPIN 1904
#define IDC_BC2_PDF_WIDTH 1905
#define IDC_BC2_PDF_WIDTH_SPIN 1906
#define IDC_BC2_PDF_HEIGHT 1907
#define IDC_BC2_PDF_HEIGHT_SPIN 1908
#define IDC_BC2_PDF_ECC 1909
#define IDC_BC2_PDF_SIMPLIFIED 1910
#define IDC_BC2_QR_SIZE 1911
#define IDC_BC2_QR_SIZE_SPIN 1912
#define IDC_BC2_QR_MODEL 1913
#define IDC_BC2_QR_ECC 1914
#define IDC_BC2_DM_SIZE 1915
#define IDC_BC2_DM_SIZE_SPIN 1916
// "Level" and "Model": followed by " 0" … " 8", " L" … " H", " 1", " 2".
#define IDC_BC2_TEXT_LEVEL 1990
#define IDC_BC2_TEXT_MODEL 1991

// "User Defined Paper Size" dialog
#define IDC_PAPER_LIST 2001
#define IDC_PAPER_NAME 2002
#define IDC_PAPER_WIDTH 2003
#define IDC_PAPER_WIDTH_SPIN 2004
#define IDC_PAPER_LENGTH 2005
#define IDC_PAPER_LENGTH_SPIN 2006
#define IDC_PAPER_DELETE 2007
#define IDC_PAPER_SAVE 2008
#define IDC_PAPER_CLOSE 2009
#define IDC_PAPER_TEXT_REFUSED 2090
#define IDC_PAPER_TEXT_UPDATE 2091
#define IDC_PAPER_TEXT_ERROR 2092
#define IDC_PAPER_TEXT_QUESTION 2093
#define IDC_PAPER_TEXT_DEFAULT_NAME 2094
