#include "comm/SearchHooks.h"

TSearchHooks SearchHooks;
