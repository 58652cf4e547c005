#pragma once

#include "Id3v2Fields.h"
#include "Id3v2Tag.h"

// Moves the twelve edited texts between a tag's frames and an Id3v2Fields block.
namespace Id3v2FieldMapper {

// Fills the fields from the first usable frame of each kind (the first comment with an
// empty description, else the first comment). Each stored CR LF becomes LF, then the
// text is cut to the field's capacity in characters. The fields must be clear.
void ExtractFields(const Id3v2Tag& tag, Id3v2Fields& fields);

// Replaces the twelve frames of a 2.3 or 2.4 tag (space set for writing) with the
// fields, in the order title, artist, album, year, comment, genre, copyright, original
// artist, URL, encoded by, composer, track. Each replaced frame leaves its place and is
// appended anew; when the padding lacks room the body grows by the frame's data size
// plus 1034 bytes, so 1024 bytes of padding remain after it.
void ApplyFields(const Id3v2Fields& fields, Id3v2Tag& tag);

// Puts only the fields named by the Id3v2Fields::Field bits into the tag (space set for
// writing): each takes the place of the frame that held it, an empty value removes that
// frame, and every other frame stays as it was. Growth as for ApplyFields.
void ApplyChangedFields(const Id3v2Fields& fields, unsigned which, Id3v2Tag& tag);

// True when some field named by the bits would read back differently from what the tag
// gives now; false means writing them would change nothing the user can see.
bool ChangesAny(const Id3v2Tag& tag, const Id3v2Fields& fields, unsigned which);

} // namespace Id3v2FieldMapper
