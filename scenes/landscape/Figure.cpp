#include "scenes/landscape/Figure.h"

#include "scenes/landscape/LandscapeGeometry.h"

#include <GL/glew.h>
#include <algorithm>
#include <cmath>

namespace {

// The gait's half-turn, deliberately this decimal rather than full-precision pi.
const double kHalfTurn = 3.14159265;
const float kLimbHalfSize = 0.056f;
const float kHeadHalfSize = 0.09f;

// Signed power with exponent 0.9 (single precision): softens the extremes of
// a sine while keeping its sign, for the bouncing stride.
float spow(float x)
{
    const double e = 0.9f;
    if (x > 0.0f)
        return static_cast<float>(std::pow(double(x), e));
    if (x < 0.0f)
        return static_cast<float>(-std::pow(-double(x), e));
    return 0.0f;
}

// The three pose weights of a blend in -1..+1 and the weighted sum of a
// joint's pose values, computed and kept in single precision.
struct PoseWeights {
    float wn, wm, wp;
    float mix(float atMinus, float atZero, float atPlus) const
    {
        return wn * atMinus + wm * atZero + wp * atPlus;
    }
};

float sineAsFloat(double x) { return static_cast<float>(std::sin(x)); }

// The legs' phase, a little behind the arms'.
float legPhase(float p) { return static_cast<float>(p - 0.314159265); }

} // namespace

void Figure::drawLimb(float x0, float y0, float x1, float y1, float bend) const
{
    const double length = std::sqrt(double(y0 - y1) * (y0 - y1) + double(x0 - x1) * (x0 - x1));
    const int n = static_cast<int>(std::ceil(4.0 * length)) + 1;
    const float dx = (x1 - x0) / n;
    const float dy = (y1 - y0) / n;

    glPushMatrix();
    glRotatef(static_cast<float>(-20.0 * bend), 1.0f, 0.0f, 0.0f);
    for (int i = 0; i < n; ++i) {
        // The curl grows from one end of the chain to the other; a chain of
        // one cube (a zero-length segment) takes the first cube's angle.
        const double along = n > 1 ? kHalfTurn * i / (n - 1) : 0.0;
        glPushMatrix();
        glRotatef(static_cast<float>(-(std::cos(along) * 0.15 * bend) * 120.0), 1.0f, 0.0f, 0.0f);
        glTranslatef(x0 + i * dx, y0 + i * dy, 0.0f);
        drawCube(kLimbHalfSize, 0.0f, 0.0f, 0.0f, -1);
        glPopMatrix();
    }
    glPopMatrix();
}

// The joint angles of one frame of the gait, in degrees, and the tint
// weights of the blend.
struct Figure::Pose {
    PoseWeights w;
    float torsoPitch, spineTwist, shoulderTwist;
    float hip[2], knee[2];
    float shoulder[2], elbow[2];
};

Figure::Pose Figure::poseAt(float p, float b)
{
    Pose pose;
    pose.w = {std::max(-b, 0.0f), 1.0f - std::fabs(b), std::max(b, 0.0f)};
    const PoseWeights& w = pose.w;
    const float s1 = sineAsFloat(p + kHalfTurn);
    const float s2 = sineAsFloat(p);
    const float q = legPhase(p);
    const float sq = sineAsFloat(q);
    const float sqOpp = sineAsFloat(q + kHalfTurn);
    const float sqKnee = sineAsFloat(q - 1.2);
    const float sqKneeOpp = sineAsFloat(q - 1.2 + kHalfTurn);

    pose.torsoPitch = w.mix(50.0f, -3.0f, 4.0f);
    pose.spineTwist = w.mix(10.0f * s2, 10.0f * s2, 10.0f * spow(s2));
    pose.shoulderTwist = w.mix(5.0f * s1, 20.0f * s1, 20.0f * spow(s1));
    pose.hip[0] = w.mix(20.0f * sq - 30.0f, 20.0f * sq, 2.0f * (32.0f * spow(sq) - 20.0f));
    pose.knee[0] = w.mix(10.0f * sqKnee + 50.0f, 10.0f * (sqKnee + 1.0f),
                         70.0f * (spow(sineAsFloat(q + 3.54)) + 1.0f));
    pose.hip[1] = w.mix(20.0f * sqOpp - 30.0f, 20.0f * sqOpp, 2.0f * (32.0f * spow(sqOpp) - 20.0f));
    pose.knee[1] = w.mix(10.0f * sqKneeOpp + 50.0f, 10.0f * (sqKneeOpp + 1.0f),
                         70.0f * (spow(sineAsFloat(q + 6.68159265)) + 1.0f));
    pose.shoulder[0] = w.mix(5.0f * s1 - 40.0f, 15.0f * s1, 60.0f * spow(s1));
    pose.elbow[0] = w.mix(10.0f * s1 - 10.0f, 10.0f * s1 - 10.0f, 5.0f * (10.0f * spow(s1) - 10.0f));
    pose.shoulder[1] = w.mix(5.0f * s2 - 40.0f, 15.0f * s2, 60.0f * spow(s2));
    pose.elbow[1] = w.mix(10.0f * s2 - 10.0f, 10.0f * s2 - 10.0f, 5.0f * (10.0f * spow(s2) - 10.0f));
    return pose;
}

void Figure::draw(float p, float scale, float b, bool shadowPass) const
{
    const Pose pose = poseAt(p, b);
    const PoseWeights& w = pose.w;
    if (!shadowPass)
        glColor3f(static_cast<float>(0.3 * w.wn + 0.1 * w.wm + 0.2 * w.wp),
                  static_cast<float>(0.1 * w.wm + 0.9 * w.wp),
                  static_cast<float>(0.3 * w.wm + 0.3 * w.wp));

    glPushMatrix();
    if (b >= 0.0f) {
        // Twice per walking cycle, in the caller's units (before the scale).
        const double ramp = std::fabs(std::fmod(legPhase(p) * 0.6366197730950255, 2.0) - 1.0);
        glTranslatef(0.0f, static_cast<float>(0.1 * b * b * (1.0 - ramp * ramp)), 0.0f);
    }
    glScalef(scale, scale, scale);
    glTranslatef(0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    drawBodyGroup(pose, p);
    drawUpperBody(pose);
    glPopMatrix();
}

// Torso with head, hip bar and legs. The legs hang from the hip and do not
// follow the torso pitch.
void Figure::drawBodyGroup(const Pose& pose, float p) const
{
    glPushMatrix();
    glPushMatrix();
    glRotatef(pose.torsoPitch, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.spineTwist, 0.0f, 1.0f, 0.0f);
    drawLimb(0.0f, 0.0f, 0.0f, 1.0f, pose.w.wn);
    glPushMatrix();
    glTranslatef(0.0f, 1.02f, 0.0f);
    glRotatef(30.0f * p, sineAsFloat(0.1 * p), static_cast<float>(std::cos(0.12 * p)), 0.1f);
    drawCube(kHeadHalfSize, 0.0f, 0.0f, 0.0f, -1);
    glPopMatrix();
    glPopMatrix();

    drawLimb(-0.125f, 0.0f, 0.125f, 0.0f, 0.0f);

    const float legSide[2] = {0.125f, -0.125f};
    for (int leg = 0; leg < 2; ++leg) {
        glPushMatrix();
        glTranslatef(legSide[leg], 0.0f, 0.0f);
        glRotatef(pose.hip[leg], 1.0f, 0.0f, 0.0f);
        drawLimb(0.0f, 0.0f, 0.0f, -0.5f, 0.0f);
        glPushMatrix();
        glTranslatef(0.0f, -0.5f, 0.0f);
        glRotatef(pose.knee[leg], 1.0f, 0.0f, 0.0f);
        drawLimb(0.0f, 0.0f, 0.0f, -0.5f, 0.0f);
        glPushMatrix();
        glTranslatef(0.0f, -0.5f, 0.0f);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        drawLimb(0.0f, 0.0f, 0.0f, 0.15f, 0.0f);
        glPopMatrix();
        glPopMatrix();
        glPopMatrix();
    }
    glPopMatrix();
}

// Shoulder bar and arms, under their own copy of the torso pitch.
void Figure::drawUpperBody(const Pose& pose) const
{
    glPushMatrix();
    glRotatef(pose.torsoPitch, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.75f, 0.0f);
    glRotatef(pose.shoulderTwist, 0.0f, 1.0f, 0.0f);
    drawLimb(-0.2f, 0.0f, 0.2f, 0.0f, 0.0f);

    const float armSide[2] = {0.2f, -0.2f};
    for (int arm = 0; arm < 2; ++arm) {
        glPushMatrix();
        glTranslatef(armSide[arm], 0.0f, 0.0f);
        glRotatef(pose.shoulder[arm], 1.0f, 0.0f, 0.0f);
        drawLimb(0.0f, 0.0f, 0.0f, -0.375f, 0.0f);
        glPushMatrix();
        glTranslatef(0.0f, -0.375f, 0.0f);
        glRotatef(pose.elbow[arm], 1.0f, 0.0f, 0.0f);
        drawLimb(0.0f, 0.0f, 0.0f, -0.375f, 0.0f);
        glPopMatrix();
        glPopMatrix();
    }
    glPopMatrix();
}
