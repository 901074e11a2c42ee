#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// Reading the files the user names: a project, a picture. Only a regular file is read; a
// folder, a named pipe, a device or a socket is refused at once, so that nothing the user picks
// can hold the editor (opening a pipe would wait for a writer for ever).

enum class ReadProblem {
    None,
    Missing,    // no such file
    BadName,    // the name holds a zero character: the part before it would name another file
    Folder,     // the name is a folder's
    NotRegular, // a pipe, a device, a socket
    TooLarge,   // larger than the caller accepts
    Unreadable, // the system refused to read it
};

struct FileContents {
    ReadProblem problem = ReadProblem::None;
    std::string bytes;
};

// Reads the whole file when it is a regular one of at most maxBytes.
FileContents readRegularFile(const std::string& path, std::size_t maxBytes);

// The pictures the editor shows (BMP, JPEG, PNG), looked at before they are decoded: decoders
// complete a picture whose data ends early with grey or black and only warn, if at all.

// The width and height a BMP file's header announces (a picture stored top-down announces a
// negative height: its height is the absolute value); nullopt when the bytes hold no BMP header.
std::optional<std::pair<long long, long long>> bmpAnnouncedSize(std::string_view bytes);

// False when the bytes are a BMP, a JPEG or a PNG whose data ends before the picture does;
// true for complete pictures and for anything else (the decoder judges that).
bool pictureComplete(std::string_view bytes);
