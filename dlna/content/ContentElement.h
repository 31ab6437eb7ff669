#pragma once
// The flat records that carry objects to the host.
#include "DLNA.h"

// Frees the strings and the res array of one element and clears it; an
// element of an unknown type is left alone.
void ClearContentElement(DLNA_CONTENT_ELEMENT& element);
