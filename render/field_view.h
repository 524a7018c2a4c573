// Where a perspective camera stands relative to the bar field, for leaving out on the processor the
// sides the driver would cull anyway, and which window pixels the field can cover. Platform-free arithmetic.
#pragma once

// The camera in the field's own coordinates, and how far a window vertex may land from where exact
// arithmetic puts it, as a distance at the field's far end.
struct FieldView {
    bool known = false;  // false: leave every side in, the driver decides
    float eye[3] = {0.0f, 0.0f, 0.0f};
    float reach = 0.0f;  // eye-space distance to the field's farthest corner
    float slack = 0.0f;
};

// From column-major model-view and projection matrices and the viewport's size, for a field inside
// the box low..high. Known only for a rigid model-view and a centred perspective that holds the box
// wholly between its near and far planes. A narrower perspective on the same viewport shows the
// same sides from the same side, with less slack: the view serves it too. Unknown for a mirrored
// model-view (determinant not positive) and for a near plane not in front of the eye.
FieldView FieldViewFrom(const float modelview[16], const float projection[16], int viewportWidth,
                        int viewportHeight, const float low[3], const float high[3]);

// How far the eye must stand behind the plane of an upright side, cut by the driver into right
// triangles at least `width` by `shortest`, before every one of them surely faces away on screen.
// Infinite for an unknown view: no side may be left out.
float SideMargin(const FieldView& view, float width, float shortest);

// Whole window pixels, counted from the bottom-left corner as OpenGL counts them.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// The window pixels a box low..high can cover, drawn through `modelview` and each of `count`
// perspectives as gluPerspective makes them (fields of view in degrees, one aspect and near plane) on a
// viewport of the given size at (0, 0): its corners' projections bounded, rounded out to whole pixels
// and a pixel more for the driver's own rounding, clamped to the viewport. The whole viewport where a
// corner is not in front of the near plane (its projection has no bound); empty off the viewport.
PixelRect FieldWindowRect(const float modelview[16], const float* fieldsOfView, int count, float aspect,
                          float nearPlane, int viewportWidth, int viewportHeight, const float low[3],
                          const float high[3]);
