// --- the furniture layer ------------------------------------------------------------

struct Layer {
    vec2 sheet;     // its point on the sheet, in (across, up) face coordinates
    float depth;    // its depth behind the facade, in rooms
    float shown;    // 1 where the room has a piece and the ray reaches it
};

// Furniture is a cut-out picture standing across the room at a depth of
// its own, in front of the back wall: one more plane for the ray to meet.
// The sheet holds four pieces, one per corner cell; the room shows one of
// them, perhaps mirrored, or none (piece 4). Inside the box the layer's
// point stays within its cell.
Layer furnitureLayer(Room room, vec2 entry, vec3 ray, float tWall)
{
    Layer f;
    f.depth = room.depth * mix(0.3, 0.75, furnitureDepthHash(room));
    float t = f.depth / ray.z;
    vec2 inRoom = 2.0 * ((entry + ray.xy * t - room.lo) * room.perSize - lookFrom.xy);
    float piece = floor(pieceHash(room) * 5.0);
    vec2 corner = vec2(mod(piece, 2.0), floor(piece * 0.5)) * 2.0 - 1.0;
    float turned = turnHash(room) < 0.5 ? -1.0 : 1.0;
    vec2 sheet = corner * CELL_PITCH + CELL_HALF * vec2(inRoom.x * turned, inRoom.y);
    f.sheet = sheet;
#ifdef WITHOUT_FURNITURE
    f.shown = 0.0;
#else
    f.shown = step(piece, 3.5) * step(t, tWall);
#endif
    return f;
}
