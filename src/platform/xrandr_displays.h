#pragma once

#include <memory>

#include "platform/display_modes.h"
#include "platform/x11_connection.h"

typedef struct _XRRScreenResources XRRScreenResources;

namespace ketrel {

// The RandR layer of a real X server, on the program's own connection.
class XrandrLayer : public RandrLayer {
  public:
    // Null when the server has no RandR 1.2 or later.
    static std::unique_ptr<XrandrLayer> Create(std::shared_ptr<X11Connection> connection);
    ~XrandrLayer() override;

    bool read(randr::Screen& screen, bool probe) override;
    randr::Id createMode(const ModeTiming& timing) override;
    bool addOutputMode(randr::Id output, randr::Id mode) override;
    bool setScreenSize(int width, int height, int widthMm, int heightMm) override;
    bool setCrtc(const randr::Crtc& crtc) override;

  private:
    explicit XrandrLayer(std::shared_ptr<X11Connection> connection)
        : connection_(std::move(connection)) {}
    void forget();

    std::shared_ptr<X11Connection> connection_;
    // The resources of the last read: a CRTC change names the configuration it was made for,
    // so the server refuses it when the outputs changed in between.
    XRRScreenResources* resources_ = nullptr;
};

}  // namespace ketrel
