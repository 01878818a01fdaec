# Novedades de BrantelDesk X

## Versión 1.0 (en preparación, diciembre de 2026)

La primera versión. Reúne todo lo construido durante el desarrollo:

- **Publicación:** esta ventana; ayuda para conectar el cable USB en Linux (ruta del
  dispositivo, el grupo `dialout`, una regla udev que da al cable un nombre estable) y una
  comprobación del puerto serie que dice por qué no se puede abrir y cómo corregirlo. Todos los
  textos de las ventanas siguen el idioma elegido.
- **Dibujo más rápido:** zoom (del 50 % al 200 %), archivos recientes, pantalla completa, un panel
  de referencias cruzadas, comparación de dos programas (Archivo / Comparar con) y comentarios de
  línea escritos en su sitio.
- **Impresión:** las impresiones resumida y detallada, los listados de parámetros y de
  comentarios, con rango de páginas, vista previa, impresoras y exportación a PDF; los textos del
  pie de impresión.
- **El dispositivo:** escribir y leer el programa, simulación con el dispositivo, el reloj del
  dispositivo con horario de verano, utilidades y contraseñas, la actualización del firmware y la
  búsqueda de la dirección, cada uno con un botón Detener y un mensaje claro por cada fallo. La
  configuración de comunicación elige un puerto serie, el cable USB o Ethernet.
- **Simulación con el PC:** el panel de entradas y salidas, el monitor de parámetros, la pantalla
  de texto con sus teclas, pausa, paso a paso y escala de tiempo, una vista de tendencias que
  exporta VCD y CSV, y la ventana del simulador del dispositivo.
- **Bloques de función:** un diálogo para cada tipo de bloque: temporizadores, contadores y
  contadores de comparación, programadores horarios, contadores de horas, bloques analógicos y
  escalado analógico, mensajes de texto.
- **Edición:** el editor ladder en tres estilos de presentación, la caja de funciones,
  portapapeles, deshacer y rehacer, buscar y comentarios, la comprobación del programa con su
  lista de errores.
- **Archivos:** programas de las tres generaciones (`.h53`, `.m53`, `.t53`), archivos de
  bloqueo, guardado atómico.
- **Herramienta de línea de comandos** `branteldesk-cli`: comprobar, convertir, scripts de
  simulación, imprimir, diff, xref y los comandos del dispositivo; el dispositivo virtual
  `branteldesk-device` para probarlo todo sin hardware.
- **Idiomas:** inglés, portugués, polaco y español.

## Versiones de desarrollo

- **8 de diciembre de 2026:** ventanas del dispositivo, impresiones, comparación de programas,
  referencias cruzadas, zoom.
- **7 de diciembre de 2026:** diálogos de los bloques, pantallas de simulación, tendencias,
  simulador del dispositivo.
- **6 de diciembre de 2026:** la base: modelo del programa, archivos, comprobación de reglas,
  motor de ciclo, ventana principal, configuración de comunicación y el dispositivo virtual.
