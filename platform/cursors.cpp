// The panning shapes' geometry, which both backends draw.
#include "platform/cursors.h"
#include "platform/shared_parts.h"

std::vector<int> PanningArrowAngles(TCursor kind) {
    switch (kind) {
    case crMoveAll:
        return {0, 90, 180, 270};
    case crMoveEW:
        return {0, 180};
    case crMoveNS:
        return {90, 270};
    case crMoveN:
        return {90};
    case crMoveS:
        return {270};
    case crMoveE:
        return {0};
    case crMoveW:
        return {180};
    case crMoveNE:
        return {45};
    case crMoveNW:
        return {135};
    case crMoveSE:
        return {315};
    case crMoveSW:
        return {225};
    case crDefault:
    case crArrow:
    case crIBeam:
    case crHandPoint:
        break;
    }
    return {};
}
