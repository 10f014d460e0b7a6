#pragma once
// The row copy behind every transparent draw of a keyed picture, shared by the
// canvas (TCanvas::Draw) and the frame compositor, so both give the same bytes.
#include <QColor>

// Copies n pixels of s to d, leaving out those whose colour (the low three
// bytes) is key: d keeps its pixel there. A pixel whose fourth byte lies
// between 1 and 254 covers that share of its place and is mixed over d (see
// Bitmap.h). n <= 0 copies nothing; s and d must not overlap.
void KeyedCopy(QRgb* d, const QRgb* s, int n, QRgb key);
