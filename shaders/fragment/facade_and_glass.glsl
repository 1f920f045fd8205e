// --- the facade and its glass ---------------------------------------------------------

const vec3 FAR_GROUND = vec3(0.40, 0.46, 0.30);
const vec3 SUN_LIGHT = vec3(0.78, 0.74, 0.66);
const float SUN_GLINT = 6.0;
const float CLEAR_F0 = 0.04;        // head-on reflectance of clear glass
const float TINTED_F0 = 0.30;       // and of the curtain wall's tinted glass

// The analytic sky along unit direction r: the gradient from the horizon
// to the zenith above, the ground fading into haze below. The glass
// reflects this, since the world map is not bound while the faces draw.
vec3 analyticSky(vec3 r)
{
    float height = max(r.y, 0.0);
    vec3 above = mix(HORIZON, ZENITH, height * (2.0 - height));
    vec3 below = mix(HORIZON * 0.92, FAR_GROUND, ramp(0.0, 0.25, -r.y));
    return r.y >= 0.0 ? above : below;
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

// The facade laid over the room by its alpha and lit by the sun and the
// open sky (darker near the ground). Where it is glass it reflects the sky,
// faintly head-on and strongly at grazing angles, and the sun glints on
// glass only.
vec3 facadeAndGlass(vec3 inside, vec3 rd, vec2 dx, vec2 dy)
{
    vec4 facade = facadeTexel(dx, dy);
    float nearGround = mix(0.62, 1.0, ramp(0.0, 0.45, roomEntry.z));
    vec3 wall = facade.rgb * (faceLight.rgb * nearGround + SUN_LIGHT * lightColor.rgb * faceLight.a);

    float facing = -dot(rd, seenNormal);
    vec3 mirrored = rd + (2.0 * facing) * seenNormal;
    float fresnel = glassReflectance(facing, facade.a);
    return mix(mix(inside, wall, facade.a), analyticSky(mirrored), fresnel)
         + lightColor.rgb * (SUN_GLINT * fresnel * sunGlint(mirrored));
}
