#pragma once
// The settings of the "Settings" section that are more than one call of Profile.h: the
// 8-byte double blocks and their size rules.

#include <QString>

// A block of exactly 8 bytes (the user position values); false when absent or of another size.
bool ReadProfileDoubleExact(const QString& section, const QString& key, double& value);
// A block of at least 8 bytes, of which the first 8 count ("DOP Threshold").
bool ReadProfileDoubleLeading(const QString& section, const QString& key, double& value);
// Stores value as an 8-byte little-endian IEEE 754 block.
void WriteProfileDouble(const QString& section, const QString& key, double value);

// Leading decimal number of text as "%lf" reads it (leading white space allowed, anything
// after the number ignored). False when the text does not begin with a number.
bool ParseLeadingDouble(const QString& text, double& value);
