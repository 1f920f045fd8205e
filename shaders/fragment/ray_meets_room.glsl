// --- where the ray meets it ---------------------------------------------------------

const float PLAIN_WALL_HEIGHT = 0.8; // a wall's finish above its furniture

struct BoxExit {
    float t;        // ray length to where the ray leaves the box
    float chord;    // ray length inside the box, ahead of the origin
    vec3 tOut;      // where it crosses the far plane of each axis
};

// The slab test: where a ray from `origin` along `dir` leaves the box
// [lo, hi]. In a room it gives the wall, floor or ceiling the ray meets
// first; on the ground, the part of the ray towards the sun that runs
// through the building, which makes the building's shadow.
BoxExit boxExit(vec3 origin, vec3 dir, vec3 lo, vec3 hi)
{
    vec3 perStep = 1.0 / mix(dir, vec3(MIN_STEP), step(abs(dir), vec3(MIN_STEP)));
    vec3 tMin = (lo - origin) * perStep;
    vec3 tMax = (hi - origin) * perStep;
    vec3 tIn = min(tMin, tMax);
    BoxExit e;
    e.tOut = max(tMin, tMax);
    e.t = min(min(e.tOut.x, e.tOut.y), e.tOut.z);
    e.chord = e.t - max(max(tIn.x, tIn.y), max(tIn.z, 0.0));
    return e;
}

struct Surface {
    vec3 look;      // direction into the room map
    float depth;    // the point's depth behind the facade, in rooms
    float window;   // 1 in a window out of the building (edge rooms)
    float frame;    // 1 on that window and its frame
};

// The point where the ray leaves the room's box, as a direction from the
// point the room is looked at from ("offset", normally its centre): the
// cube map then shows the same room stretched over any box. A wall that
// lies in a neighbouring facade (rooms at the building's edges) has a
// window out; around it the wall shows its own finish from above its
// furniture, since the map's wall there belongs to an inner room, and the
// window shows the world along the view `rd` from the face's sky copy.
Surface roomSurface(Room room, vec2 entry, vec3 ray, BoxExit e, vec3 rd)
{
    bool flatFace = roomGrid.w > 0.5;
    float ny = faceNormal.y;
    vec3 hit = vec3(entry + ray.xy * e.t, ray.z * e.t);
    vec3 q = 2.0 * ((hit - vec3(room.lo, 0.0)) * vec3(room.perSize, 1.0 / room.depth) - lookFrom);

    // The wall met lies in a neighbouring facade when the hit point is on
    // the grid's edge along that wall's axis; side walls of the walls'
    // rooms (x), and on the roof and the underside also their ends (y).
    vec2 toEdge = min(hit.xy - min(roomGrid.xy, 0.0), max(roomGrid.xy, 0.0) - hit.xy);
    bool hitX = e.tOut.x <= min(e.tOut.y, e.tOut.z);
    bool hitY = !hitX && e.tOut.y <= e.tOut.z && flatFace;
#ifdef WITHOUT_CORNER_WINDOWS
    bool outside = false;
#else
    bool outside = (hitX && toEdge.x < 0.001) || (hitY && toEdge.y < 0.001);
#endif
    vec2 onWall = flatFace ? vec2(hitX ? q.y : q.x, -q.z * ny) : q.zy;
    vec3 plain = flatFace ? vec3(q.xy, -PLAIN_WALL_HEIGHT * ny) : vec3(q.x, PLAIN_WALL_HEIGHT, q.z);
    // Distance outside the window's opening (negative inside), in wall units.
    vec2 fromOpening = abs(onWall - vec2(0.0, 0.12)) - vec2(0.55, 0.47);
    float opening = max(fromOpening.x, fromOpening.y);

    Surface s;
    // The window and the inner edge of its frame look out; the frame hides
    // the seam where the lookup turns from the wall to the world. Through
    // it, the face's sky copy towards that wall, at the view's height: its
    // rim is the face's plane, its middle the sky straight up or out.
    vec2 side = hitX ? vec2(sign(q.x), 0.0) : vec2(0.0, sign(q.y));
    float height = clamp(dot(rd, facadeUp(faceNormal)), -1.0, 1.0);
    vec2 lookOut = flatFace ? side : side * (1.0 - abs(height)) + vec2(0.0, height);
    s.look = outside && opening < 0.03 ? skyCopyPoint(lookOut) : fromFacadeFrame(inRoomStyle(room, outside ? plain : q));
    s.depth = hit.z;
    s.window = outside ? ramp(0.01, -0.01, opening) : 0.0;
    s.frame = outside ? ramp(0.08, 0.06, opening) : 0.0;
    return s;
}
