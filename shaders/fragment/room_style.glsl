// --- the room's style -------------------------------------------------------------

// The room map holds up to four room styles, each with walls, floor and
// ceiling of its own, in the quadrants of its faces (texture_layout.h):
// style k's view of a face scaled into the quadrant centred at STYLE_CENTRE
// on the sides styleSigns gives. A room picks its style by a number of its
// own, so its furniture, dressing, light and depth stay as they were.
float styleHash(Room room)
{
    return fract(dot(room.h1 + room.h2.wzyx, vec4(13.71, 7.37, 3.17, 5.43)));
}

// The quadrant's sides along (across, up, inwards): style k = 2a + b has
// (1 - 2a, 1 - 2b, (1 - 2a)(1 - 2b)), as styleSigns in texture_layout.h
// (which counts outwards).
vec3 styleSigns(Room room)
{
    float h = styleHash(room);
    vec2 ab = 1.0 - 2.0 * step(0.5, fract(vec2(h, 2.0 * h)));
    return vec3(ab, ab.x * ab.y);
}

// Direction q into the room map, given in the facade's frame, moved into
// the room's style: the face it meets stays (its longest axis is kept),
// the two others are scaled into the style's quadrant of that face.
vec3 inRoomStyle(Room room, vec3 q)
{
    vec3 a = abs(q);
    float m = max(max(a.x, a.y), a.z);
    return mix(q * STYLE_HALF + (STYLE_CENTRE * m) * styleSigns(room), q, step(vec3(m), a));
}
