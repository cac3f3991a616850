// Web copies that keep a picture's own coded data: PNG chunks and GIF
// blocks passed on whole, the metadata among them left out. Nothing is
// decoded, so animations and exact pixels survive.
#pragma once

#include <string>

// The PNG without its metadata chunks: the critical chunks, transparency,
// the colour chunks (iCCP, sRGB, gAMA, cHRM, cICP) and the animation chunks
// (acTL, fcTL, fdAT) are kept, every other chunk (tEXt, zTXt, iTXt, eXIf,
// tIME, pHYs, ...) is left out. False, with out untouched, for a file that
// does not walk as PNG chunks up to IEND.
bool PngWithoutMetadata(const std::string& png, std::string& out);

// The GIF without comment extensions and without application extensions
// other than the looping ones (NETSCAPE2.0, ANIMEXTS1.0), which is where XMP
// lives. A file damaged after its header keeps what came before the damage,
// closed by a trailer, as browsers show it. False for a file that does not
// start as a GIF.
bool GifWithoutComments(const std::string& gif, std::string& out);
