#pragma once

#include <string>
#include <string_view>
#include <vector>

class CAAStore;
class CCategory;

// A compact picture of a tree for comparisons: name{aa,aa,}[children...].
// Also checks that every child points back to its parent.
std::string DescribeTree(const CCategory& category);

// An AA text file (CR LF) holding one AA a name, each with a one-line body.
std::string MakeAAFile(const std::vector<std::string>& names);

// Loads store from a file holding text, written into a fresh temporary
// folder; the file is gone afterwards, so only names are of use.
void LoadStoreFromText(CAAStore& store, std::string_view text);
