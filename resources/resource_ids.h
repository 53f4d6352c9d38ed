#pragma once

#define IDI_TAVIK 1
#define IDB_BTN_MINI 101
#define IDB_BTN_EXIT 102
#define IDB_MSG_CLOSE 103
