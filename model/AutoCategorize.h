#pragma once

#include <cstddef>
#include <string_view>

class CAAStore;
class CCategory;

// Automatic grouping of AAs by the leading characters their names share.
//
// The AAs still to be placed are taken in file order. The first of them, the
// seed, gathers every pending AA whose name shares at least the seed name's
// first nThreshold characters, byte for byte. When at least nMinItems AAs
// gathered (the seed included) they form a new last child of the root, named
// after the longest run of whole characters they all share with the seed,
// holding them in descending AA index order; otherwise the seed alone goes
// to the root and the others stay pending. A seed with fewer than
// nThreshold whole characters matches nothing, not even itself.

// Number of leading bytes that a and b have in common.
std::size_t CommonPrefixLength(std::string_view a, std::string_view b);

// Replaces the root's children and AAs by the grouping of store's AAs.
// Both settings must be at least 1. Compares every pending name with every
// seed, so a million AAs would take hours; kept as the reference that the
// fast grouping is checked against.
void AutoCategorizePlain(CCategory& root, const CAAStore& store, unsigned nThreshold, unsigned nMinItems);

// The same grouping, byte for byte, in a few passes over the names (see the
// reasoning in AutoCategorize.cpp). What CCategoryModel::AutoCategorize uses.
void AutoCategorizeFast(CCategory& root, const CAAStore& store, unsigned nThreshold, unsigned nMinItems);
