// --- the facade and its glass ---------------------------------------------------------

const float SUN_GLINT = 6.0;
const float CLEAR_F0 = 0.04;        // head-on reflectance of clear glass
const float TINTED_F0 = 0.30;       // and of the curtain wall's tinted glass

// The view mirrored in the face.
vec3 mirroredView(vec3 rd)
{
    return rd - (2.0 * dot(rd, seenNormal())) * seenNormal();
}

// The sun's highlight along unit direction r: cos^256, by squaring.
float sunGlint(vec3 r)
{
    float c = max(dot(r, sunDir), 0.0);
    c *= c; c *= c; c *= c; c *= c;
    c *= c; c *= c; c *= c; c *= c;
    return c;
}

// The facade's colour and alpha at this pixel. Two taps a quarter of the
// pixel's footprint (dx, dy) either side of its centre, along the
// footprint's long axis, average what one tap would alias where the facade
// is minified (far off, or at a grazing angle).
vec4 facadeTexel(vec2 dx, vec2 dy)
{
#ifdef WITHOUT_SECOND_TAP
    return texture2D(baseTex, facadeUV);
#else
    vec2 along = 0.25 * (dot(dx, dx) > dot(dy, dy) ? dx : dy);
    return 0.5 * (texture2D(baseTex, facadeUV + along) + texture2D(baseTex, facadeUV - along));
#endif
}

// The share of the sky that the facade reflects, by Schlick's Fresnel term:
// `facing` is the cosine between the view and the face's normal. Only glass
// reflects (facade alpha up to one half, fading out towards the opaque
// wall); tinted glass (alpha about 0.3 and up) reflects more head-on.
float glassReflectance(float facing, float alpha)
{
#ifdef WITHOUT_FRESNEL
    return 0.0;
#else
    float glass = clamp(2.0 - 2.0 * alpha, 0.0, 1.0);
    float f0 = mix(CLEAR_F0, TINTED_F0, ramp(0.2, 0.4, alpha));
    float grazing = 1.0 - max(facing, 0.0);
    float grazing5 = grazing * grazing;
    grazing5 *= grazing5 * grazing;
    return (f0 + (1.0 - f0) * grazing5) * glass;
#endif
}

// The facade laid over the room by its alpha and lit by the world's sun
// and the open sky (darker near the ground). Where it is glass it reflects
// the world (`reflected`, read from the face's sky copy), faintly head-on
// and strongly at grazing angles, and the sun glints on glass only, in its
// own colour (white for the viewer's own sun).
vec3 facadeAndGlass(vec3 inside, vec4 reflected, vec3 rd, vec2 dx, vec2 dy)
{
    vec4 facade = facadeTexel(dx, dy);
    float nearGround = mix(0.62, 1.0, ramp(0.0, 0.45, roomEntry.z));
    vec3 wall = facade.rgb * (faceLight.rgb * nearGround + sunLight * lightColor.rgb * faceLight.a);

    vec3 mirrored = mirroredView(rd);
    float fresnel = glassReflectance(-dot(rd, seenNormal()), facade.a);
    return mix(mix(inside, wall, facade.a), reflected.rgb, fresnel)
         + lightColor.rgb * (sunLight / SUN_LIGHT) * (SUN_GLINT * fresnel * sunGlint(mirrored));
}
