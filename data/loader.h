#pragma once
// Fills the record store from the classification document.
#include "data/mkbrecs.h"

#include <span>
#include <string_view>

// Reads the embedded "MKBDATA" document into MKBRecs. Raises EResNotFound when the executable
// carries no such resource, EConvertError for a number field that is not an integer, and
// EMkbError when the document holds more records than the store; records read before a
// failure stay.
void LoadClassification();

// The same over a given document and store (the document need not be zero-terminated).
void LoadClassificationInto(std::span<TMKBRec> store, std::string_view document);
