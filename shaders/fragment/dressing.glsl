// --- the dressing at the window ------------------------------------------------------

struct Dressing {
    vec2 sheet;     // its point on the sheet: in the blind's or the curtains' cell
    float shown;    // 1 where the blind or a curtain hangs
};

// Blinds or curtains hang just behind the glass of the walls' windows, too
// close to it to shift against it, so they are read at the facade point
// itself. A blind covers one window and is pulled up part way: its lower
// part shows, sill edge first. Curtains span the room, their halves slid
// apart part way. A hash of the room picks none, blind or curtains, which
// of the two of each, and how far. The roof and the underside have none.
Dressing windowDressing(Room room, vec2 entry)
{
#ifdef WITHOUT_DRESSING
    return Dressing(vec2(0.0), 0.0);
#else
    vec2 atGlass = (entry - room.lo) * room.perSize;
    float kind = roomGrid.w > 0.5 ? 0.0 : dressingHash(room);
    float second = step(0.5, turnHash(room));
    float drop = mix(0.3, 0.95, dressingExtentHash(room));
    vec2 blindAt = vec2(fract(entry.x), atGlass.y - 1.0 + drop);
    float blind = step(0.35, kind) * step(kind, 0.7) * step(0.0, blindAt.y);
    float open = mix(0.28, 0.42, dressingExtentHash(room));
    vec2 curtainAt = vec2(atGlass.x + (atGlass.x < 0.5 ? open : -open), atGlass.y);
    float curtain = step(0.7, kind) * step(open, abs(atGlass.x - 0.5));
    vec2 cell = mix(mix(vec2(0.0, -1.0), vec2(-1.0, 0.0), second),
                    mix(vec2(0.0, 1.0), vec2(1.0, 0.0), second), blind);
    vec2 sheet = cell * CELL_PITCH + CELL_HALF * (2.0 * mix(curtainAt, blindAt, blind) - 1.0);
    Dressing d;
    d.sheet = sheet;
    d.shown = max(blind, curtain);
    return d;
#endif
}

// The dressing over the room where it hangs and is opaque, in the
// daylight on the face.
vec3 dressed(vec3 inside, vec4 layer, float shown)
{
    return mix(inside, layer.rgb * (0.6 + 0.4 * faceLight.a), shown * (1.0 - layer.a));
}
