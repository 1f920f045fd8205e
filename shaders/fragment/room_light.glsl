// --- the room's light ---------------------------------------------------------------

const float INTERIOR_EXPOSURE = 0.72; // rooms are darker than the sunlit facade
const vec3 WARM_TINT = vec3(1.0, 0.94, 0.84);
const vec3 COOL_TINT = vec3(0.90, 0.95, 1.0);
const vec3 WINDOW_FRAME = vec3(0.92);  // the frame of an edge room's window out

// Without its lamp a room keeps the daylight from its window, which
// falls with depth (in rooms) from brighter than the map near the window
// to under a third at the back.
float daylight(float depth)
{
    return mix(1.4, 0.3, ramp(0.0, 1.0, depth));
}

// Each room has a warm or cool tint of its own, and all are darker than
// the sunlit facade.
vec3 roomTint(Room room)
{
    return mix(COOL_TINT, WARM_TINT, tintHash(room)) * INTERIOR_EXPOSURE;
}

// A room's lamp is on or off. The room map's alpha is the share of each
// texel's light that does NOT come from the lamp, so a room without its
// lamp keeps only that share, in the daylight at its depth; the furniture,
// which has no such share, keeps half the daylight.
// A window out (edge rooms) shows the world as the lookup read it.
vec3 roomLight(vec4 seen, vec4 layer, Room room, Surface s, Layer f)
{
    bool lit = lampOn(room);
    vec3 inside = seen.rgb * (lit ? 1.0 : min(seen.a * daylight(s.depth), 1.0));
    inside = mix(mix(inside, WINDOW_FRAME, s.frame), seen.rgb, s.window);
    float furnitureLight = lit ? 1.0 : 0.5 * daylight(f.depth);
    return mix(inside, layer.rgb * furnitureLight, f.shown * (1.0 - layer.a)) * roomTint(room);
}
