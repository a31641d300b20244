// Controlador de ejemplo para el simulador del brazo (Arduino Uno).
//
// Cuatro potenciómetros mueven las cuatro articulaciones: el cursor de cada uno va a A0, A1,
// A2 y A3 (Q1, Q2, Q3 y Q4) y sus extremos a 5V y GND. Todo el recorrido de un potenciómetro
// es de -90 a 90 grados.
//
// El programa envía por el puerto serie (USB), a 19200 baudios 8N1, un mensaje por cada
// articulación cuyo ángulo cambió al menos un grado desde el último que envió: la letra de la
// articulación (A a D) y el ángulo, terminados por el fin de línea de println (CR LF):
// "A45\r\n", "C-30\r\n". Si se mueven varios potenciómetros a la vez, sus mensajes salen
// por turno.

const uint8_t POTENCIOMETROS[4] = {A0, A1, A2, A3};

// Los ángulos se miden en décimas de grado: el cambio de un grado se reconoce sin que el
// ruido de una lectura a la siguiente (una o dos cuentas, menos de medio grado) envíe nada.
const long MINIMO_DECIMAS = -900;
const long MAXIMO_DECIMAS = 900;
const long CAMBIO_MINIMO_DECIMAS = 10;

// Un mensaje de hasta seis bytes tarda unos 3 ms a 19200 baudios. El fin de línea separa
// los mensajes, así que no hace falta esperar a que el simulador lea uno antes de enviar el
// siguiente; la pausa reparte los turnos entre los potenciómetros y no llena la línea de
// mensajes que nadie llega a ver mientras se gira uno.
const unsigned long PAUSA_MS = 30;

// Lejos de cualquier lectura: al arrancar se envían las cuatro articulaciones.
const long NUNCA_ENVIADO = 100000L;

long enviadoDecimas[4] = {NUNCA_ENVIADO, NUNCA_ENVIADO, NUNCA_ENVIADO, NUNCA_ENVIADO};
unsigned long ultimoEnvioMs = 0;
// Por dónde empieza la búsqueda del siguiente cambio, para que un potenciómetro que no
// para de moverse no deje a los demás sin turno.
int siguiente = 0;

long leerDecimas(int articulacion)
{
  return map(analogRead(POTENCIOMETROS[articulacion]), 0, 1023, MINIMO_DECIMAS, MAXIMO_DECIMAS);
}

void setup()
{
  Serial.begin(19200);
}

void loop()
{
  // La resta de enteros sin signo sigue siendo correcta cuando millis() vuelve a cero.
  if (millis() - ultimoEnvioMs < PAUSA_MS)
    return;
  for (int i = 0; i < 4; i++) {
    const int articulacion = (siguiente + i) % 4;
    const long decimas = leerDecimas(articulacion);
    const long cambio = decimas - enviadoDecimas[articulacion];
    if (cambio < CAMBIO_MINIMO_DECIMAS && cambio > -CAMBIO_MINIMO_DECIMAS)
      continue;
    // Redondeado al grado más cercano.
    const long grados = (decimas >= 0 ? decimas + 5 : decimas - 5) / 10;
    // println termina el mensaje con CR LF. Un adaptador USB-serie retiene lo recibido hasta
    // que vence su temporizador de latencia (16 ms por omisión en los más comunes), así que
    // el simulador puede leer de una vez dos mensajes seguidos: los toma igualmente uno a
    // uno, porque cada uno acaba en su fin de línea. Sin él, los tomaría como un solo
    // mensaje que no mueve el brazo.
    Serial.print(char('A' + articulacion));
    Serial.println(grados);
    enviadoDecimas[articulacion] = decimas;
    ultimoEnvioMs = millis();
    siguiente = (articulacion + 1) % 4;
    return;
  }
}
