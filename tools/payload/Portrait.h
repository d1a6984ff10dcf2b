// The warlord's face: a bust in a crested helmet and lacquered armour.
#pragma once

#include <vector>

#include "Shapes.h"

namespace payload {

// Painted in order, later shapes over earlier ones.
std::vector<Shape> PortraitShapes();

}  // namespace payload
