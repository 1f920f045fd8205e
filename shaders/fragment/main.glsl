// --- the whole ------------------------------------------------------------------------

void main()
{
    bool sky = useWalls == 0;
    vec3 rd = normalize(viewRay);

    // The room: its box, and the ray through it from the facade.
    vec2 entry = roomEntry.xy;
    vec3 ray = vec3(roomRay.xy, max(roomRay.z, MIN_STEP));
    Room room = roomBox(entry);
    vec3 ground = groundPoint(rd);

    // One ray-box test for both passes: through the room, or from the
    // ground towards the sun through the building.
    BoxExit e = boxExit(sky ? ground : vec3(entry, 0.0), sky ? sunDir : ray,
                        sky ? vec3(0.0) : vec3(room.lo, 0.0),
                        sky ? vec3(1.0) : vec3(room.lo + room.size, room.depth));
    Surface surface = roomSurface(room, entry, ray, e, rd);
    Layer furniture = furnitureLayer(room, entry, ray, e.t);
    Dressing dressing = windowDressing(room, entry);
    // The pixel's footprint on the facade.
    vec2 dx = dFdx(facadeUV);
    vec2 dy = dFdy(facadeUV);
    float far = farShare(room, abs(dx) + abs(dy));

    // The three shared lookups. The second reads one cell of the sheet:
    // the far colour for a room turning distant, else the dressing where
    // it hangs, else the furniture (so furniture does not show through
    // gaps in a dressing), turned into a direction once. The third reads
    // the world that the glass reflects from the face's sky copy; on the
    // sky it is not needed and reads one fixed texel.
    bool distant = far > 0.0;
    vec2 sheet = distant ? FAR_POINT : dressing.shown > 0.5 ? dressing.sheet : furniture.sheet;
    vec3 cell = onSheet(faceNormal, sheet);
    vec4 seen = textureCube(wallTex, sky ? skyLook(rd) : surface.look);
    vec4 layer = textureCube(wallTex, sky ? secondSkyLook(ground, cell) : cell);
    vec4 reflected = textureCube(wallTex, sky ? vec3(0.0, 1.0, 0.0) : skyCopyLook(mirroredView(rd)));

    float detail = distant ? 0.0 : 1.0;
    furniture.shown *= detail * (1.0 - dressing.shown);
    vec3 inside = roomLight(seen, layer, room, surface, furniture);
    inside = dressed(inside, layer, dressing.shown * detail);
    inside = distantRoom(inside, layer, room, far);
    vec3 building = facadeAndGlass(inside, reflected, rd, dx, dy);

    vec3 finished = sky ? skyAndGround(seen, layer, ground, rd, e.chord) : building;
