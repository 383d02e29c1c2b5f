#include "render/BoundTextureScene.h"

#include "gfx/Texture.h"

void BoundTextureScene::render(float time, float level)
{
    picture_->bind();
    scene_->render(time, level);
}
