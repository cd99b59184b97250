// Resource identifiers shared by both programs' resource scripts and code.
#pragma once

#define IDI_KVX 1
