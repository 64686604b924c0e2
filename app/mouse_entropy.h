#pragma once
#include "app/ui.h"
#include "crypto/random_generator.h"

namespace qs {

// Base of every dialog but the progress dialog: pointer movement over it feeds the generator.
class MouseFeedingController : public ui::Controller {
 public:
  explicit MouseFeedingController(RandomGenerator& generator) : generator_(generator) {}

  void onMouseMove(ui::View&, std::uint16_t x, std::uint16_t y) override { generator_.mouseEvent(x, y); }

 protected:
  RandomGenerator& generator_;
};

}  // namespace qs
