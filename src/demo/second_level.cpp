#include "demo/second_level.h"

#include <GL/gl.h>

#include "demo/cue_sheet.h"
#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"

namespace demo {

void drawSecondLevel() {
  SceneObjects& o = sceneObjects;
  const float step = script.frameDelta * cue::kSecondLevelPathRate;
  if (!script.drawing) {
    if (o.firstCamera) o.firstCamera->advance(step);
    if (o.lightSprites) o.lightSprites->path.advance(step);
    return;
  }
  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glFogi(GL_FOG_MODE, GL_EXP2);
  glFogfv(GL_FOG_COLOR, black);
  glFogf(GL_FOG_DENSITY, 0.0016f);
  glHint(GL_FOG_HINT, GL_NICEST);
  glFogf(GL_FOG_START, 1.0f);
  glFogf(GL_FOG_END, 300.0f);

  if (o.firstCamera) {
    o.firstCamera->advance(step);
    o.firstCamera->applyLookAt();
  }
  if (o.frustum) o.frustum->extract();
  if (o.secondLevel && o.firstCamera)
    o.secondLevel->render(*o.firstCamera, frustumBoxTest(), script.lightmapsOn, script.texturesOn);
  if (o.lightSprites) {
    o.lightSprites->path.advance(step);
    const world::Vec3& p = o.lightSprites->path.position();
    o.lightSprites->sprites.draw({p.x, p.y, p.z}, 6.0f, 16.0f);
  }
}

}  // namespace demo
