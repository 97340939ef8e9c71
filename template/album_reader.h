// Reading a whole album of Varo objects in album order.
#ifndef TARNWRIGHT_TEMPLATE_ALBUM_READER_H
#define TARNWRIGHT_TEMPLATE_ALBUM_READER_H

#include <vector>

#include "platform/qori.h"

// Every entry until the first invalid one.
std::vector<Qor_GenericImage> read_album(const Qor_GenericAlbum& album);
std::vector<std::string> album_names(const Qor_GenericAlbum& album);

#endif
