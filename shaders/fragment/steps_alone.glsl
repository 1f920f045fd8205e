// --- the steps shown alone ----------------------------------------------------------------
// Joined only when a SHOW_... switch is defined (scripts/explain.sh asks
// the join for one per picture of docs/how-it-works.md): the switch draws
// one step of the technique on its own, through the two functions below,
// which the end of main then calls instead of showing the finished colour.


const vec3 SIDE_WALL_MET = vec3(0.90, 0.30, 0.20);
const vec3 FLOOR_MET = vec3(0.25, 0.75, 0.25);
const vec3 CEILING_MET = vec3(0.25, 0.45, 0.95);
const vec3 BACK_WALL_MET = vec3(0.95, 0.85, 0.25);

// What main has worked out on the way to the finished building.
struct BuildingSoFar {
    vec3 finished;       // the finished building's colour
    Room room;
    vec2 entry;          // this point in rooms along (across, up)
    vec3 ray;            // the ray through the room
    BoxExit box;         // where it leaves the room's box
    Surface surface;
    Layer furniture;     // as it shows: none where a dressing or the far colour is read
    Dressing dressing;
    float detail;        // 0 in a room turning distant
    vec4 seen;           // the room map at the surface met
    vec4 layer;          // the sheet's cell read
    vec3 inside;         // the room, lit, dressed and faded, before the facade
    vec3 rd;             // the unit view ray
    vec2 dx;             // the pixel's footprint on the facade
    vec2 dy;
};

// Each room in a flat colour of its own numbers, its box outlined in black
// and, in a room of two windows, the line between the windows in its own
// colour, darker. Lines are a few pixels wide at any distance.
vec3 roomCells(Room room, vec2 entry)
{
    vec2 width = 1.5 * fwidth(entry);
    vec2 inBox = entry - room.lo;
    vec2 toBox = min(inBox, room.size - inBox) / width;
    vec2 toCell = min(fract(entry), 1.0 - fract(entry)) / width;
    vec3 own = 0.25 + 0.7 * vec3(depthHash(room), pieceHash(room), lightHash(room));
    vec3 cells = mix(own, own * 0.55, step(min(toCell.x, toCell.y), 1.0));
    return mix(cells, vec3(0.0), step(min(toBox.x, toBox.y), 1.0));
}

// Which surface of a wall's room the ray meets first: a side wall, the
// floor, the ceiling or the back wall, darker the deeper the point lies
// behind the facade (`depth`, in rooms).
vec3 surfaceMet(BoxExit e, vec3 ray, float depth)
{
    bool side = e.tOut.x <= min(e.tOut.y, e.tOut.z);
    bool level = !side && e.tOut.y <= e.tOut.z;
    vec3 c = side ? SIDE_WALL_MET : level ? (ray.y < 0.0 ? FLOOR_MET : CEILING_MET) : BACK_WALL_MET;
    return c * mix(1.0, 0.2, ramp(0.0, MAX_DEPTH, depth));
}

// One step of the building alone in place of the finished building; a
// ground step leaves the building finished.
vec3 roomStepAlone(BuildingSoFar b)
{
    vec3 shown = b.finished;
#if defined(SHOW_FURNITURE) || defined(SHOW_ROOM_LIGHT)
    // The furniture as it stands, also where a dressing or the far colour
    // takes its place in the shared lookup.
    Layer alone = furnitureLayer(b.room, b.entry, b.ray, b.box.t);
    vec4 piece = textureCube(wallTex, fromFacadeFrame(vec3(alone.sheet, -1.0)));
#endif
#ifdef SHOW_ROOM_CELLS
    shown = roomCells(b.room, b.entry);
#endif
#ifdef SHOW_SURFACE_MET
    shown = surfaceMet(b.box, b.ray, b.surface.depth);
#endif
#ifdef SHOW_ROOM_MAP
    shown = b.seen.rgb;
#endif
#ifdef SHOW_FURNITURE
    shown = mix(0.25 * b.seen.rgb, piece.rgb, alone.shown * (1.0 - piece.a));
#endif
#ifdef SHOW_ROOM_LIGHT
    shown = roomLight(b.seen, piece, b.room, b.surface, alone);
#endif
#ifdef SHOW_DRESSING
    shown = dressed(roomLight(b.seen, b.layer, b.room, b.surface, b.furniture), b.layer,
                    b.dressing.shown * b.detail);
#endif
#ifdef SHOW_FACADE
    vec4 facade = facadeTexel(b.dx, b.dy);
    shown = mix(b.inside, facade.rgb, facade.a);
#endif
#ifdef SHOW_FRESNEL
    shown = vec3(glassReflectance(-dot(b.rd, seenNormal()), facadeTexel(b.dx, b.dy).a));
#endif
    return shown;
}

// One step of the ground alone where the ground is seen; the sky stays
// finished, and so does the ground for a building step.
vec3 groundStepAlone(vec3 finished, vec4 seen, vec4 layer, vec3 ground, vec3 rd, float chord)
{
    vec3 shown = finished;
#ifdef SHOW_GROUND_PLANE
    shown = groundField(seen, layer, ground);
#endif
#ifdef SHOW_CONTACT_SHADE
    shown = vec3(contactShade(ground));
#endif
#ifdef SHOW_SHADOW
    shown = vec3(buildingShadow(chord));
#endif
    return groundSeen(rd) ? shown : finished;
}
