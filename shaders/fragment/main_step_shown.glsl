// The end of main with a SHOW_... switch (scripts/explain.sh): one step of
// the technique alone instead of the finished picture, from what main has
// worked out on the way to it. This part joins only with a switch defined,
// so the shipped stage holds no step code.
    BuildingSoFar b;
    b.finished = building;
    b.room = room;
    b.entry = entry;
    b.ray = ray;
    b.box = e;
    b.surface = surface;
    b.furniture = furniture;
    b.dressing = dressing;
    b.detail = detail;
    b.seen = seen;
    b.layer = layer;
    b.inside = inside;
    b.rd = rd;
    b.dx = dx;
    b.dy = dy;
    finished = sky ? groundStepAlone(finished, seen, layer, ground, rd, e.chord) : roomStepAlone(b);
