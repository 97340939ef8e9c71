#include "template/album_reader.h"

std::vector<Qor_GenericImage> read_album(const Qor_GenericAlbum& album) {
    DataElemQueue queue;
    album.get_all(queue);
    std::vector<Qor_GenericImage> entries;
    entries.reserve(queue.size());
    for (Qor_GenericImage image = queue.deq(); image.is_valid(); image = queue.deq()) entries.push_back(image);
    return entries;
}

std::vector<std::string> album_names(const Qor_GenericAlbum& album) {
    std::vector<std::string> names;
    for (const Qor_GenericImage& image : read_album(album)) names.push_back(image.name() ? image.name() : "");
    return names;
}
