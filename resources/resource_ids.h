#pragma once

#define IDI_TAVIK 1
// The pictures for 100 %; those for 150 % and 200 % are 50 and 100 further on.
#define IDB_BTN_MINI 101
#define IDB_BTN_EXIT 102
#define IDB_MSG_CLOSE 103
#define IDB_BTN_MINI_150 151
#define IDB_BTN_EXIT_150 152
#define IDB_MSG_CLOSE_150 153
#define IDB_BTN_MINI_200 201
#define IDB_BTN_EXIT_200 202
#define IDB_MSG_CLOSE_200 203
