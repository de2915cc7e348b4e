#include "doc_fixture.h"
