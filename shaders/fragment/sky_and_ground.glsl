// --- the sky and the ground ------------------------------------------------------------

const float CONTACT_REACH = 0.5;    // the contact shade's reach from the walls
const float CONTACT_DARK = 0.55;
const float SHADOW_DARK = 0.5;      // light the full shadow takes away
const float SHADOW_SOFTNESS = 0.06;

// Where the view ray meets the ground plane y = 0.
vec3 groundPoint(vec3 rd)
{
    return camPos + rd * (camPos.y / max(-rd.y, MIN_STEP));
}

// The world map along the view. Steeply down, the lookup stays on the
// side faces, which paint the ground far off; the -Y face holds the tile.
vec3 skyLook(vec3 rd)
{
    return vec3(rd.x, max(rd.y, -0.9 * max(abs(rd.x), abs(rd.z))), rd.z);
}

// Whether the world map's -Y face is a ground tile; else the ground is
// the world's lower half seen from GROUND_PROJECTION_CENTRE.
bool groundTiled()
{
    return sunLight.y > 0.5;
}

// The world map under a point of the ground: the ground tile from its -Y
// face, half a tile on so that the tile's edges run well away from the
// building; or the world's own ground, projected from above the building,
// which far off runs into the world's horizon.
vec3 groundLook(vec3 ground)
{
    vec2 tile = fract(ground.xz * (1.0 / GROUND_TILE) + 0.5) * 2.0 - 1.0;
    return groundTiled() ? vec3(tile.x, -1.0, tile.y) : ground - GROUND_PROJECTION_CENTRE;
}

// Whether the view ray meets the ground: the eye is above it and looks down.
bool groundSeen(vec3 rd)
{
    return camPos.y > 0.0 && rd.y < 0.0;
}

// The ground plane's own colour: the tile near by; far off, where more than
// a couple of the tile's texels fall in a pixel (its finest lines, the
// hedges, are six wide), the world map's own picture of the distance
// (`sky`, looked up along the view), which cannot alias. The projected
// ground is the world's picture all the way.
vec3 groundField(vec4 sky, vec4 tile, vec3 ground)
{
    vec2 reach = fwidth(ground.xz) * (TILE_TEXELS / GROUND_TILE);
    float distant = groundTiled() ? ramp(2.0, 6.0, max(reach.x, reach.y)) : 0.0;
    return mix(tile.rgb, sky.rgb, distant);
}

// Next to the building the ground is darker, since the walls hide half the
// sky: the light left at a point of the ground, by its distance from the
// walls.
float contactShade(vec3 ground)
{
#ifdef WITHOUT_CONTACT_SHADE
    return 1.0;
#else
    vec2 fromWalls = max(abs(ground.xz - BUILDING_CENTRE.xz) - 0.5, 0.0);
    return mix(CONTACT_DARK, 1.0, ramp(0.0, CONTACT_REACH, length(fromWalls)));
#endif
}

// The light left at a point of the ground whose ray to the sun runs through
// the building for `chord`: the building's shadow, soft at its edges, where
// the ray only clips a corner, and as dark as the world's sun is clear.
float buildingShadow(float chord)
{
#ifdef WITHOUT_SHADOW
    return 1.0;
#else
    return 1.0 - SHADOW_DARK * sunLight.x * ramp(0.0, SHADOW_SOFTNESS, chord);
#endif
}

// Above the horizon the sky is the world map. Below it the view meets the
// ground plane, with the contact shade and the building's shadow; without
// the ground (WITHOUT_GROUND), the world map all the way down.
vec3 skyAndGround(vec4 sky, vec4 tile, vec3 ground, vec3 rd, float shadowChord)
{
#ifdef WITHOUT_GROUND
    return sky.rgb;
#else
    vec3 field = groundField(sky, tile, ground);
    return groundSeen(rd) ? field * (contactShade(ground) * buildingShadow(shadowChord)) : sky.rgb;
#endif
}

// What the sky pass's second lookup reads: the world map under the point
// of the ground, or without the ground the room pass's `cell`, which makes
// the lookup one for both passes.
vec3 secondSkyLook(vec3 ground, vec3 cell)
{
#ifdef WITHOUT_GROUND
    return cell;
#else
    return groundLook(ground);
#endif
}
