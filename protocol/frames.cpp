#include "protocol/frames.h"

#include <algorithm>

namespace velmora {

Frame programmingFrame(const Image& image) {
    Frame frame{};
    frame.front() = kFrameStart;
    std::copy(image.begin(), image.end(), frame.begin() + 1);
    frame.back() = kFrameEnd;
    return frame;
}

Frame readRequest() {
    return programmingFrame(Image{});
}

Image imageOfFrame(const Frame& frame) {
    Image image{};
    std::copy(frame.begin() + 1, frame.end() - 1, image.begin());
    return image;
}

} // namespace velmora
