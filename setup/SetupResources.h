#pragma once
// Resource ids of the launcher: its two packages and its messages.
#define IDR_PACKAGE_X86 100
#define IDR_PACKAGE_X64 200
#define IDS_NEWER_INSTALLED 129
#define IDS_NOT_INSTALLED 130
#define IDS_UP_TO_DATE 131
