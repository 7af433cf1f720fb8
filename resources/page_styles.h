// Styles shared by the page templates.
#pragma once

// A page: a child dialog of the main window's tab control, below the tab strip.
#define PAGE_STYLE DS_SETFONT | DS_CONTROL | WS_CHILD | WS_VISIBLE
// File and stream lists: one column of text, no header, one row at a time.
#define LIST_STYLE LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | WS_BORDER | WS_TABSTOP
// A path shown in one line, shortened in the middle when it is too long; '&' is no mnemonic.
#define PATH_STYLE SS_SUNKEN | SS_CENTERIMAGE | SS_PATHELLIPSIS | SS_NOPREFIX
#define DROP_LIST_STYLE CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
