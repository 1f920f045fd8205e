// The end of main: the picture, finished or (main_step_shown.glsl) one step.
    gl_FragColor = vec4(finished, 1.0);
}
