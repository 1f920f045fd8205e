// --- the distant room ----------------------------------------------------------------

const float FAR_DAYLIGHT = 0.5;     // an unlit distant room's daylight, times the far colour's alpha

// How far a room is on its way to its far colour: rooms only a few pixels
// across show a flat colour instead of details that would flicker as the
// eye moves. Each room turns at a threshold of its own, so that no line
// runs across the facade where they all change. `footprint` is the
// pixel's extent on the facade, in facade coordinates.
float farShare(Room room, vec2 footprint)
{
#ifdef WITHOUT_FAR_FADE
    return 0.0;
#else
    vec2 inRooms = footprint * abs(roomGrid.xy);
    float tiny = ramp(0.1, 0.3, max(inRooms.x, inRooms.y));
    return tiny > fract(pieceHash(room) * 5.0) ? tiny : 0.0;
#endif
}

// The room faded towards the far colour, the sheet's centre: lit, or
// with the daylight its alpha leaves.
vec3 distantRoom(vec3 inside, vec4 far, Room room, float share)
{
    return mix(inside, far.rgb * (lampOn(room) ? 1.0 : min(far.a * FAR_DAYLIGHT, 1.0)) * roomTint(room),
               share);
}
