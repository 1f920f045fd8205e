// --- the room's box -------------------------------------------------------------

const float MERGED_SHARE = 0.3;     // pairs of windows that share one room
const float MIN_DEPTH = 0.5;        // room depth range, in rooms
const float MAX_DEPTH = 1.5;
const float DARK_SHARE = 0.3;       // rooms whose light is off

struct Room {
    vec2 lo;        // the box's corner on the facade, in rooms along (across, up)
    vec2 size;      // 1 x 1, or 2 x 1 where two windows open into one room
    vec2 perSize;   // 1 / size
    float depth;    // how far it reaches into the building, in rooms
    vec4 h1;        // its numbers in [0, 1), read through the functions below
    vec4 h2;
};

// The room behind a point of the facade (in rooms along across and up).
// The facade is cut into a grid of rooms, one per window. Windows come in
// pairs, and a hash of the pair decides whether the pair opens into one
// wide room; every other number of the room (its depth, furniture, light,
// tint and dressing) follows from the same hash, moved on by the room's
// place in the pair, so that every room is its own but never changes.
Room roomBox(vec2 entry)
{
    vec2 gridHi = max(roomGrid.xy, 0.0);
    vec2 cell = clamp(floor(entry), min(roomGrid.xy, 0.0), gridHi - 1.0);
    float pairX = floor(cell.x * 0.5) * 2.0;
    vec4 pairHash = hash4(vec3(pairX, cell.y, roomEntry.w));
    // The grid's extent is interpolated and may miss a whole number by a
    // rounding error, which would split a room at the grid's end in stripes.
    float merged = (pairX + 2.0 <= gridHi.x + 0.01 && pairHash.w < MERGED_SHARE) ? 1.0 : 0.0;
    Room r;
    r.lo = vec2(mix(cell.x, pairX, merged), cell.y);
    r.size = vec2(1.0 + merged, 1.0);
    r.perSize = vec2(1.0 - 0.5 * merged, 1.0);
    r.h1 = fract(pairHash.yzwx * 7.31 + (r.lo.x - pairX + 2.0 * merged) * vec4(0.618, 0.414, 0.732, 0.236));
    r.h2 = fract(r.h1.yzwx * 17.13 + r.h1.zwxy * 5.71);
    r.depth = min(mix(MIN_DEPTH, MAX_DEPTH, r.h1.x), roomGrid.z);
    return r;
}

// The room's numbers, each in [0, 1), by what they decide.
float depthHash(Room room) { return room.h1.x; }          // its depth
float furnitureDepthHash(Room room) { return room.h1.y; } // its furniture's depth
float pieceHash(Room room) { return room.h1.z; }          // its piece (and far threshold)
float lightHash(Room room) { return room.h1.w; }          // its lamp
float turnHash(Room room) { return room.h2.x; }           // piece mirrored, second dressing
float tintHash(Room room) { return room.h2.y; }           // warm or cool
float dressingHash(Room room) { return room.h2.z; }       // none, blind or curtains
float dressingExtentHash(Room room) { return room.h2.w; } // how far drawn

// Whether the room's lamp is on.
bool lampOn(Room room)
{
#ifdef WITHOUT_LIGHTS_OFF
    return true;
#else
    return lightHash(room) >= DARK_SHARE;
#endif
}
