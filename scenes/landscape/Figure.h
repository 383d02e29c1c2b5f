// Figure: a figure of 39 cubes walking in place (spine with a tumbling head,
// hip bar and two legs, shoulder bar and two arms). All state comes in through
// draw's arguments. Main thread only, with the GL context current.
#pragma once

class Figure {
public:
    // Draws the figure with its feet at the current origin. phase advances the
    // gait (one cycle per 2 x 3.14159265); blend in -1..+1 morphs between a
    // pitched, curled pose (-1), an upright walk (0) and a bouncing stride
    // (+1) and tints it dark red, dark blue, green. With shadowPass the
    // current colour is left alone. The modelview matrix and stack come back
    // as they were.
    void draw(float phase, float scale, float blend, bool shadowPass) const;

    // A chain of cubes from (x0, y0, 0) toward (x1, y1, 0), the end point
    // itself left to the next segment; a non-zero bend curls it about x.
    void drawLimb(float x0, float y0, float x1, float y1, float bend) const;

private:
    struct Pose;
    static Pose poseAt(float phase, float blend);
    void drawBodyGroup(const Pose& pose, float phase) const;
    void drawUpperBody(const Pose& pose) const;
};
